// A small host library for the Windows tests, built as KORPUS.DLL in a
// folder of its own: the entries that the plug-in's load call and the
// binding tests need, by ordinal, and its state for the test to set up
// and read, by name.
#pragma once

#include <cstdint>

#include "abi/records.h"

#ifdef FAKE_HOST_BUILD
#define FAKE_HOST_API __declspec(dllexport)
#else
#define FAKE_HOST_API __declspec(dllimport)
#endif

struct FakeBox {
  char caption[64];
  char text[1024];
  std::int32_t style;
};

struct FakeHostState {
  // Tables 44, 52, 45, 53 and 49, in the plug-in's order of checking.
  korpus_abi::TableObject tables[5];
  std::int32_t opened[16];
  int open_count;

  FakeBox boxes[8];  // the formatted message box (52029)
  int box_count;

  int notice_count;
  int ini_reads;
  int ini_writes;
  bool ini_has_value;
  int ini_value;    // what a read finds
  int ini_written;  // what the last write stored

  void* constructed;  // the object pointer (ECX) of the last 20902 call
};

extern "C" {
FAKE_HOST_API FakeHostState* FakeHost();
// Versions as the plug-in requires them, nothing recorded, the registers'
// list handlers the host's own.
FAKE_HOST_API void FakeHostReset();
FAKE_HOST_API korpus_abi::ListHandler FakeHostListHandler();
// EAX, ECX, EDX, EBX, ESI, EDI and EBP as the last call of entry 52255
// found them.
FAKE_HOST_API const std::uint32_t* FakeHostRegistersAtSignal();
}
