// The way back from a plug-in's failure (plugin_calls.cpp).
        .intel_syntax noprefix
        .text

// uint32_t standin_plugin_call(void (*run)(void*), void* context,
//                              uint32_t* saved_esp)
// Calls run(context) and answers 0. Resumed at standin_plugin_resume with
// EAX pointing at *saved_esp, it answers 1 instead, with the registers it
// must keep restored.
        .globl _standin_plugin_call
        .def _standin_plugin_call ; .scl 2 ; .type 32 ; .endef
_standin_plugin_call:
        push ebp
        mov ebp, esp
        push ebx
        push esi
        push edi
        mov eax, [ebp + 16]
        mov [eax], esp
        push dword ptr [ebp + 12]
        call dword ptr [ebp + 8]
        add esp, 4
        xor eax, eax
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret

        .globl _standin_plugin_resume
        .def _standin_plugin_resume ; .scl 2 ; .type 32 ; .endef
_standin_plugin_resume:
        mov esp, [eax]
        mov eax, 1
        pop edi
        pop esi
        pop ebx
        pop ebp
        ret
