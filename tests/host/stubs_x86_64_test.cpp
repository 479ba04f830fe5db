// The x86-64 call stub hands a variadic call on with AL intact: the SysV
// convention passes the count of vector registers used in AL, and a
// variadic host function that finds 0 there drops its double arguments.
// The first call of an entry goes through its resolver, which binds the
// entry in between and must hand every argument register on unchanged.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "host/module_state.h"

extern "C" {
std::uint8_t stub_test_seen_al = 0;
void stub_test_record_al();
std::uint64_t stub_test_call_with_al(const void* target, std::uint64_t al);
}

__asm__(R"(
        .pushsection .text
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
        .popsection
)");

// The registers that carry arguments: RDI, RSI, RDX, RCX, R8, R9, RAX (AL),
// R10 (the static chain), then the low halves of XMM0 to XMM7.
extern "C" {
std::uint64_t stub_test_seen_registers[16] = {};
void stub_test_record_registers();
void stub_test_call_with_registers(const void* target);
}

__asm__(R"(
        .pushsection .text
        .globl stub_test_record_registers
stub_test_record_registers:
        mov %rdi, stub_test_seen_registers+0(%rip)
        mov %rsi, stub_test_seen_registers+8(%rip)
        mov %rdx, stub_test_seen_registers+16(%rip)
        mov %rcx, stub_test_seen_registers+24(%rip)
        mov %r8, stub_test_seen_registers+32(%rip)
        mov %r9, stub_test_seen_registers+40(%rip)
        mov %rax, stub_test_seen_registers+48(%rip)
        mov %r10, stub_test_seen_registers+56(%rip)
        movq %xmm0, stub_test_seen_registers+64(%rip)
        movq %xmm1, stub_test_seen_registers+72(%rip)
        movq %xmm2, stub_test_seen_registers+80(%rip)
        movq %xmm3, stub_test_seen_registers+88(%rip)
        movq %xmm4, stub_test_seen_registers+96(%rip)
        movq %xmm5, stub_test_seen_registers+104(%rip)
        movq %xmm6, stub_test_seen_registers+112(%rip)
        movq %xmm7, stub_test_seen_registers+120(%rip)
        xor %eax, %eax
        ret
        .globl stub_test_call_with_registers
stub_test_call_with_registers:
        sub $8, %rsp
        mov %rdi, %r11
        mov $0x1000000000000001, %rax
        movq %rax, %xmm0
        mov $0x1000000000000002, %rax
        movq %rax, %xmm1
        mov $0x1000000000000003, %rax
        movq %rax, %xmm2
        mov $0x1000000000000004, %rax
        movq %rax, %xmm3
        mov $0x1000000000000005, %rax
        movq %rax, %xmm4
        mov $0x1000000000000006, %rax
        movq %rax, %xmm5
        mov $0x1000000000000007, %rax
        movq %rax, %xmm6
        mov $0x1000000000000008, %rax
        movq %rax, %xmm7
        mov $0x2000000000000001, %rdi
        mov $0x2000000000000002, %rsi
        mov $0x2000000000000003, %rdx
        mov $0x2000000000000004, %rcx
        mov $0x2000000000000005, %r8
        mov $0x2000000000000006, %r9
        mov $0x2000000000000007, %rax
        mov $0x2000000000000008, %r10
        call *%r11
        add $8, %rsp
        ret
        .popsection
)");

// The host library's ordinal lookup as this program answers it: the entry
// under test is the recorder. The program exports it, so that a lookup
// through the program's own handle finds it before the stand-in's.
constexpr std::uint32_t kRecorded = 52278;  // ScanStart, six arguments
extern "C" __attribute__((visibility("default"))) void* ordinal_export(std::uint32_t ordinal) {
  return ordinal == kRecorded ? reinterpret_cast<void*>(&stub_test_record_registers) : nullptr;
}

namespace {

TEST(Resolver, HandsEveryArgumentRegisterOnAtTheFirstCall) {
  const host::binding::Entry* entry = host::binding::FindByName("ScanStart");
  ASSERT_NE(entry, nullptr);
  ASSERT_EQ(entry->ordinal, kRecorded);
  host::binding::ResetForTests();
  ASSERT_EQ(*entry->slot, entry->resolver) << "the call must go through the resolver";
  void* const saved_module = host::Modules().host_module;
  host::Modules().host_module = dlopen(nullptr, RTLD_NOW);

  stub_test_call_with_registers(reinterpret_cast<const void*>(&korpus::ScanStart));

  EXPECT_EQ(*entry->slot, reinterpret_cast<void*>(&stub_test_record_registers)) << "the entry was bound";
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(stub_test_seen_registers[k], 0x2000000000000001u + static_cast<unsigned>(k)) << "general register " << k;
    EXPECT_EQ(stub_test_seen_registers[8 + k], 0x1000000000000001u + static_cast<unsigned>(k)) << "XMM" << k;
  }
  host::Modules().host_module = saved_module;
  host::binding::ResetForTests();
}

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
