#pragma once
// Registers the compiled-in icons and help page. The resources live in a static library, so the linker
// keeps them only when the program (or a test) calls this once, before the first widget is built.

void lineweldInitResources();
