// The precompiled headers' own target compiles this file, which uses them.
