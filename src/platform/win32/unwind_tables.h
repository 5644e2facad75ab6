#pragma once

// The 32-bit DLL links libgcc statically and unwinds with DWARF-2 tables. When another module in
// the host's process has loaded the shared libgcc_s_dw2-1.dll first, the module's start-up code
// registers its unwind tables there instead of with its own unwinder, and the first exception
// thrown inside (std::bad_alloc, which the plug-in turns into message 25) finds no tables and
// ends in terminate, taking the host down. This registers them with the module's own unwinder
// too; it does nothing where that unwinder already knows them or on other builds.
void registerUnwindTablesWithOwnUnwinder();
