#include "tests/windows/fake_host.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "abi/callconv.h"
#include "abi/codepage.h"

namespace {

FakeHostState state;

constexpr std::int32_t kNumbers[5] = {44, 52, 45, 53, 49};
constexpr std::int16_t kVersions[5] = {980, 828, 298, 626, 1024};

std::int32_t KORPUS_CALLEE HostListHandler(std::int32_t event, std::uint16_t, std::int32_t, void**, std::int32_t,
                                           korpus_abi::ListState*, std::int32_t, std::int32_t, std::int32_t,
                                           std::uint16_t, std::int32_t) {
  return 1000 + event;
}

}  // namespace

// Written by the entry 52255 (fake_host_signal_i686.S).
extern "C" std::uint32_t fake_registers_at_signal[7];
std::uint32_t fake_registers_at_signal[7];

FakeHostState* FakeHost() { return &state; }

const std::uint32_t* FakeHostRegistersAtSignal() { return fake_registers_at_signal; }

korpus_abi::ListHandler FakeHostListHandler() { return &HostListHandler; }

void FakeHostReset() {
  std::memset(&state, 0, sizeof state);
  std::memset(fake_registers_at_signal, 0, sizeof fake_registers_at_signal);
  for (int i = 0; i < 5; ++i) {
    state.tables[i].version = kVersions[i];
    state.tables[i].list_handler = &HostListHandler;
  }
}

// The entries, exported by ordinal (fake_host.def).
extern "C" {

void KORPUS_CALLER FakeTranslateException(std::uint32_t, void*) {}

std::int32_t KORPUS_CALLER FakeHostContext() { return 0; }

void* KORPUS_CALLEE FakeDelayLoadHook(std::uint32_t, void*) { return nullptr; }

korpus_abi::TableObject* KORPUS_CALLEE FakeOpenTable(std::int32_t number) {
  if (state.open_count < 16) state.opened[state.open_count++] = number;
  for (int i = 0; i < 5; ++i) {
    if (kNumbers[i] == number) return &state.tables[i];
  }
  return nullptr;
}

std::int16_t KORPUS_CALLER FakeMessageFormat(const char* caption, const char* format, std::int32_t style, ...) {
  if (state.box_count < 8) {
    FakeBox& box = state.boxes[state.box_count++];
    std::snprintf(box.caption, sizeof box.caption, "%s", caption);
    va_list args;
    va_start(args, style);
    std::vsnprintf(box.text, sizeof box.text, format, args);
    va_end(args);
    box.style = style;
  }
  return 0;
}

std::int16_t KORPUS_CALLER FakeIniAccess(const char*, std::int32_t mode, const char*, const char*, const char* format,
                                         ...) {
  va_list args;
  va_start(args, format);
  std::int16_t result = 1;
  if (mode == 8) {
    ++state.ini_reads;
    if (state.ini_has_value) {
      *va_arg(args, int*) = state.ini_value;
      result = 0;
    }
  } else if (mode == 9) {
    ++state.ini_writes;
    state.ini_written = va_arg(args, int);
    result = 0;
  }
  va_end(args);
  return result;
}

std::int16_t KORPUS_CALLER FakeNotice(std::int32_t, std::int16_t*, std::int32_t, const char*) {
  ++state.notice_count;
  return 0;
}

// Mazovia (1) to Windows-1250 (3) in place or into the destination.
std::int32_t KORPUS_CALLEE FakeConvertCodePage(char* destination, const char* source, std::int32_t from, std::int32_t to) {
  if (from != 1 || to != 3) return 0;
  std::string out;
  for (const char* c = source; *c != '\0'; ++c) {
    const char32_t ch = codepage::MazoviaToUnicode(static_cast<std::uint8_t>(*c));
    const int byte = codepage::UnicodeToWindows1250(ch);
    out += static_cast<char>(byte < 0 ? '?' : byte);
  }
  std::memcpy(destination, out.c_str(), out.size() + 1);
  return 1;
}

void* KORPUS_METHOD FakeDialogConstruct(void* self) {
  state.constructed = self;
  return self;
}

}  // extern "C"
