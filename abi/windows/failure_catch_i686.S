// The catcher's frame (failure_catch.cpp).
        .intel_syntax noprefix
        .text

// uint32_t korpus_catch_failure(void (*run)(void*), void* context,
//                               CaughtFailure* failure)
// Registers a handler on the thread's chain (FS:[0]) with the failure's
// place beside it, calls run(context), unregisters and answers 0. When the
// handler takes a failure it resumes at korpus_catch_resume, which answers
// 1 from here instead.
        .globl _korpus_catch_failure
        .def _korpus_catch_failure ; .scl 2 ; .type 32 ; .endef
_korpus_catch_failure:
        push ebp
        mov ebp, esp
        push ebx
        push esi
        push edi
        push dword ptr [ebp + 16]
        push offset _korpus_catch_handler
        push dword ptr fs:[0]
        mov dword ptr fs:[0], esp
        push dword ptr [ebp + 12]
        call dword ptr [ebp + 8]
        add esp, 4
        pop dword ptr fs:[0]
        add esp, 8
        xor eax, eax
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret

// void korpus_catch_resume(void* record): back in the catcher's frame,
// whose registration record is at the given address.
        .globl _korpus_catch_resume
        .def _korpus_catch_resume ; .scl 2 ; .type 32 ; .endef
_korpus_catch_resume:
        mov eax, [esp + 4]
        mov esp, eax
        pop dword ptr fs:[0]
        add esp, 8
        mov eax, 1
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret
