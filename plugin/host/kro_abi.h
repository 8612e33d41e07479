/*
 * kro_abi.h: the binary contract between a game runtime (the host) and a
 * wavefx-style plug-in. Usable from C and C++; the plug-in and every host in
 * this project include this one header.
 *
 * Threading: the host makes every call into the plug-in (entry points,
 * script functions, the frame hook) from one thread, one call at a time. The
 * plug-in takes no locks.
 *
 * Ownership: the host owns every object it hands over (the argument stack,
 * the screen size, both bitmaps). The plug-in keeps only their addresses and
 * reads each object through its address at the moment of use, so a host may
 * resize or reallocate its screens between any two calls.
 */
#ifndef WAVEFX_KRO_ABI_H
#define WAVEFX_KRO_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A script function or the frame hook: no arguments, no result. Script
 * functions exchange values with the script through the host's stack. */
typedef void (*kro_function)(void);

/* Host operation: make `function` callable from scripts as `name` with
 * `parameter_count` integer arguments. `name` stays valid while the plug-in
 * is loaded, so the host may keep the pointer. */
typedef void (*kro_register_function)(const char *name, kro_function function, int parameter_count);

/* Host operation: the address of the host object or service called `name`,
 * or null if the host has none. The plug-in never checks the answer. */
typedef void *(*kro_import_object)(const char *name);

/* Host operation: use the plug-in's `address` in place of the host's own step
 * called `name`. The only name used is KRO_HOOK_BACKGROUND_TO_BUFFER, whose
 * address is a kro_function cast to void *. */
typedef void (*kro_export_object)(const char *name, void *address);

/* The host step that fills the frame buffer from the background, once per
 * frame. After the export the host calls the plug-in's hook instead. */
#define KRO_HOOK_BACKGROUND_TO_BUFFER "background_to_buffer"

/*
 * Host objects the plug-in reads, and what their imported addresses point at:
 *   "stack"       int32_t[]   argument stack
 *   "sp"          int32_t     index of the top entry of the stack
 *   "wide"        int32_t     screen width in pixels = bytes per row
 *   "height"      int32_t     screen height in rows
 *   "buffer"      uint8_t *   the host's pointer variable to the frame buffer
 *   "background"  uint8_t *   the host's pointer variable to the background
 * Both bitmaps are wide x height bytes of palette indices, rows stored one
 * after the other without gaps.
 *
 * kromain imports the 26 names of KRO_IMPORTS, in that order. Only the six
 * above are ever read; a host may answer the other twenty with null.
 *
 * Stack contract for a script function with n parameters: on entry the last
 * argument is at stack[sp], the first at stack[sp - n + 1]. The function pops
 * all n (sp decremented once per pop), then pushes one int32_t result (sp
 * incremented, result stored at stack[sp]). Over one call sp changes by
 * exactly 1 - n, and the result lies where the first argument was. The host
 * must leave room for one entry above sp when n is 0.
 */

#if defined(_WIN32)
#define KRO_EXPORT __declspec(dllexport)
#else
#define KRO_EXPORT __attribute__((visibility("default")))
#endif

/* Every name kromain imports, in order: X(name, use), where use says what
 * the plug-in does with the address. A host may answer every name whose use
 * is not KRO_IMPORT_READ with null. */
#define KRO_IMPORT_READ 0           /* a host object the plug-in reads */
#define KRO_IMPORT_UNREAD_DATA 1    /* a host variable, never read */
#define KRO_IMPORT_UNREAD_SERVICE 2 /* a host function, never called */
#define KRO_IMPORTS(X)                       \
  X(stack, KRO_IMPORT_READ)                  \
  X(mem, KRO_IMPORT_UNREAD_DATA)             \
  X(palette, KRO_IMPORT_UNREAD_DATA)         \
  X(active_palette, KRO_IMPORT_UNREAD_DATA)  \
  X(key, KRO_IMPORT_UNREAD_DATA)             \
  X(buffer, KRO_IMPORT_READ)                 \
  X(background, KRO_IMPORT_READ)             \
  X(ghost, KRO_IMPORT_UNREAD_DATA)           \
  X(sp, KRO_IMPORT_READ)                     \
  X(wide, KRO_IMPORT_READ)                   \
  X(height, KRO_IMPORT_READ)                 \
  X(ss_time, KRO_IMPORT_UNREAD_DATA)         \
  X(ss_status, KRO_IMPORT_UNREAD_DATA)       \
  X(ss_exit, KRO_IMPORT_UNREAD_DATA)         \
  X(process_size, KRO_IMPORT_UNREAD_DATA)    \
  X(id_offset, KRO_IMPORT_UNREAD_DATA)       \
  X(id_init_offset, KRO_IMPORT_UNREAD_DATA)  \
  X(id_start_offset, KRO_IMPORT_UNREAD_DATA) \
  X(id_end_offset, KRO_IMPORT_UNREAD_DATA)   \
  X(set_palette, KRO_IMPORT_UNREAD_SERVICE)  \
  X(kro_malloc, KRO_IMPORT_UNREAD_SERVICE)   \
  X(kro_free, KRO_IMPORT_UNREAD_SERVICE)     \
  X(kro_fopen, KRO_IMPORT_UNREAD_SERVICE)    \
  X(kro_fclose, KRO_IMPORT_UNREAD_SERVICE)   \
  X(kro_rand, KRO_IMPORT_UNREAD_SERVICE)     \
  X(kro_text_out, KRO_IMPORT_UNREAD_SERVICE)
#define KRO_IMPORT_COUNT 26
#define KRO_IMPORT_UNREAD_COUNT 20
/* The names alone, in order, as an array initialiser. */
#define KRO_IMPORT_NAME_(name, use) #name,
#define KRO_IMPORT_NAMES KRO_IMPORTS(KRO_IMPORT_NAME_)

/* The eleven script functions krolibrary registers, in this order:
 * X(name, parameter count, arguments first to last, result). Each has the
 * stack effect [-count, +1]. */
#define KRO_SCRIPT_FUNCTION_COUNT 11
#define KRO_SCRIPT_FUNCTIONS(X)                                      \
  X(START_RIPPLE, 3, "speed, frequency, amplitude", "1")             \
  X(STOP_RIPPLE, 0, "", "0")                                         \
  X(START_DISTORT, 3, "speed, frequency, amplitude", "0")            \
  X(STOP_DISTORT, 0, "", "0")                                        \
  X(CHANGE_RVAL, 2, "value, selector", "1, or 0 for a bad selector") \
  X(CHANGE_DVAL, 2, "value, selector", "1, or 0 for a bad selector") \
  X(FILL, 1, "colour", "0")                                          \
  X(PUT_HLINE, 2, "row, colour", "0")                                \
  X(PUT_VLINE, 2, "column, colour", "0")                             \
  X(HOW_WIDE, 0, "", "the current width")                            \
  X(HOW_HIGH, 0, "", "the current height")

/* First entry point. Called once, before anything else.
 * Registers the eleven script functions of KRO_SCRIPT_FUNCTIONS, in that
 * order, with their parameter counts. Script functions may be called only
 * after kromain. Calls no other host operation. */
KRO_EXPORT void krolibrary(kro_register_function register_function);

/* Second entry point. Called once, after krolibrary and before any script
 * function or frame. Imports the 26 host names in a fixed order, then, as its
 * last act, exports the frame hook under KRO_HOOK_BACKGROUND_TO_BUFFER. The
 * hook may be called once per frame from then on. */
KRO_EXPORT void kromain(kro_import_object import_object, kro_export_object export_object);

/* Last entry point. Does nothing and calls neither operation; the plug-in's
 * state lasts until the host unloads the library. */
KRO_EXPORT void kroend(kro_import_object import_object, kro_export_object export_object);

#ifdef __cplusplus
}
#endif

#endif /* WAVEFX_KRO_ABI_H */
