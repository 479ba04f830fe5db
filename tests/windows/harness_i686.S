// Calls made the way the host's compiler makes them, with the stack and
// registers watched: what the binding's stubs do to them is the test.
        .intel_syntax noprefix

        .bss
        .balign 4
harness_frame:  .long 0
harness_esp:    .long 0
harness_target: .long 0
harness_object: .long 0
harness_eax:    .long 0
        .globl _structured_saved_esp
_structured_saved_esp: .long 0

        .text
// uint32_t harness_call(const void* target, uint32_t count, void* object,
//                       HarnessResult* result)
// Pushes count arguments, loads ECX with object, gives EBX, ESI, EDI and
// EBP known values and calls target. result->esp_change is ESP after the
// call less ESP before the pushes (0: the callee removed exactly the
// arguments); result->preserved is 1 when the four registers survived.
        .globl _harness_call
        .def _harness_call ; .scl 2 ; .type 32 ; .endef
_harness_call:
        push ebp
        mov ebp, esp
        push ebx
        push esi
        push edi
        mov [harness_frame], ebp
        mov eax, [ebp + 8]
        mov [harness_target], eax
        mov eax, [ebp + 16]
        mov [harness_object], eax
        mov [harness_esp], esp
        mov ecx, [ebp + 12]
1:      test ecx, ecx
        jz 2f
        lea eax, [ecx + 0x5A5A0000]
        push eax
        dec ecx
        jmp 1b
2:      mov ecx, [harness_object]
        mov ebx, 0x11111111
        mov esi, 0x22222222
        mov edi, 0x33333333
        mov ebp, 0x44444444
        call dword ptr [harness_target]
        mov [harness_eax], eax
        xor edx, edx
        cmp ebx, 0x11111111
        jne 3f
        cmp esi, 0x22222222
        jne 3f
        cmp edi, 0x33333333
        jne 3f
        cmp ebp, 0x44444444
        jne 3f
        mov edx, 1
3:      mov eax, esp
        sub eax, [harness_esp]
        mov esp, [harness_esp]
        mov ebp, [harness_frame]
        mov ecx, [ebp + 20]
        mov [ecx], eax
        mov [ecx + 4], edx
        mov eax, [harness_eax]
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret

// void harness_call_with_registers(const void* target, const uint32_t* values)
// Loads EAX, ECX, EDX, EBX, ESI, EDI and EBP from values[0..6] and calls
// target, which takes no arguments.
        .globl _harness_call_with_registers
        .def _harness_call_with_registers ; .scl 2 ; .type 32 ; .endef
_harness_call_with_registers:
        push ebp
        mov ebp, esp
        push ebx
        push esi
        push edi
        mov [harness_frame], ebp
        mov [harness_esp], esp
        mov eax, [ebp + 8]
        mov [harness_target], eax
        mov eax, [ebp + 12]
        mov ecx, [eax + 4]
        mov edx, [eax + 8]
        mov ebx, [eax + 12]
        mov esi, [eax + 16]
        mov edi, [eax + 20]
        mov ebp, [eax + 24]
        mov eax, [eax]
        call dword ptr [harness_target]
        mov esp, [harness_esp]
        mov ebp, [harness_frame]
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret

// uint32_t structured_call(void (*function)(void*), void* argument)
// Calls function(argument); answers 0 when it returns. A structured
// exception handler that resumes at structured_resume makes it answer 1,
// with the stack and registers of this call restored.
        .globl _structured_call
        .def _structured_call ; .scl 2 ; .type 32 ; .endef
_structured_call:
        push ebp
        mov ebp, esp
        push ebx
        push esi
        push edi
        mov [_structured_saved_esp], esp
        push dword ptr [ebp + 12]
        call dword ptr [ebp + 8]
        add esp, 4
        xor eax, eax
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret

        .globl _structured_resume
        .def _structured_resume ; .scl 2 ; .type 32 ; .endef
_structured_resume:
        mov esp, [_structured_saved_esp]
        mov eax, 1
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret
