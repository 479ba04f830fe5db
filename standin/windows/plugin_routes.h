// Windows: what the native build gets by symbol interposition, done by
// patching a module's imports. The plug-in's MessageBoxA (the binding
// error box) goes to the stand-in's front end, and its GetProcAddress on
// this library goes through the stand-in's export lookup, so that hidden
// entries and lookup counts work as they do natively. Its runtime's
// fwrite, fputs and fclose come to the stand-in too, so that a failing
// write to a host stream can be injected as natively.
#pragma once

namespace standin::windows {

// Routes the imports of USER32!MessageBoxA and KERNEL32!GetProcAddress of
// the module (a loaded plug-in, or a test program holding the binding);
// answers how many of the two it found and routed.
int RoutePluginImports(void* module);

}  // namespace standin::windows
