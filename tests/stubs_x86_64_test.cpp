// The x86-64 call stub hands a variadic call on with AL intact: the SysV
// convention passes the count of vector registers used in AL, and a
// variadic host function that finds 0 there drops its double arguments.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/korpus/binding.h"
#include "host/korpus/entries.h"

extern "C" {
std::uint8_t stub_test_seen_al = 0;
void stub_test_record_al();
std::uint64_t stub_test_call_with_al(const void* target, std::uint64_t al);
}

__asm__(R"(
        .text
        .globl stub_test_record_al
stub_test_record_al:
        mov %al, stub_test_seen_al(%rip)
        xor %eax, %eax
        ret
        .globl stub_test_call_with_al
stub_test_call_with_al:
        sub $8, %rsp
        mov %rdi, %r10
        mov %rsi, %rax
        call *%r10
        add $8, %rsp
        ret
)");

namespace {

TEST(CallStub, KeepsTheVectorRegisterCountOfAVariadicCall) {
  const host::binding::Entry* entry = host::binding::FindByName("MessageFormat");
  ASSERT_NE(entry, nullptr);
  void* const saved = *entry->slot;
  *entry->slot = reinterpret_cast<void*>(&stub_test_record_al);

  // Any count but the low byte of the target's address, which is what a
  // stub that loads its slot into RAX would leave there.
  const auto low_byte = static_cast<std::uint8_t>(reinterpret_cast<std::uintptr_t>(&stub_test_record_al));
  for (const std::uint8_t count : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{8}}) {
    if (count == low_byte) continue;
    stub_test_call_with_al(reinterpret_cast<const void*>(&korpus::MessageFormat), count);
    EXPECT_EQ(stub_test_seen_al, count);
  }
  *entry->slot = saved;
}

}  // namespace
