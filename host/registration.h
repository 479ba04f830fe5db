// Hooking the host's two invoice registers: the table check of a load
// call, the list event handlers that start a check on Ctrl-1, their
// withdrawal, and the install notice.
#pragma once

#include <cstdint>

#include "abi/records.h"

namespace host::registration {

// Opens and checks the five tables in order and hooks the two registers.
// A table that fails has been named in the "STOP!" box and is not held.
bool CheckTables();

// Puts the registers' own handlers back and releases the two register
// handles; the other three stay held.
void Withdraw();

// The install notice, unless "Pytaj" in PrufPytanie.ini says otherwise.
void InstallNotice();

// The handlers put into the register table objects. Ctrl-1 checks the
// current invoice; every event then goes on to the replaced handler.
std::int32_t KORPUS_CALLEE SalesListHandler(std::int32_t event, std::uint16_t arg2, std::int32_t arg3, void** rows,
                                            std::int32_t arg5, korpus_abi::ListState* state, std::int32_t arg7,
                                            std::int32_t arg8, std::int32_t arg9, std::uint16_t arg10,
                                            std::int32_t arg11);
std::int32_t KORPUS_CALLEE PurchaseListHandler(std::int32_t event, std::uint16_t arg2, std::int32_t arg3,
                                               void** rows, std::int32_t arg5, korpus_abi::ListState* state,
                                               std::int32_t arg7, std::int32_t arg8, std::int32_t arg9,
                                               std::uint16_t arg10, std::int32_t arg11);

// Tests only: no handle held, nothing saved.
void ResetForTests();

}  // namespace host::registration
