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
 * kromain imports the 26 names of KRO_IMPORT_NAMES, in that order. Only the
 * six above are ever read; a host may answer the other twenty with null.
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

/* The names kromain imports, in order, for hosts that check the order. */
#define KRO_IMPORT_COUNT 26
#define KRO_IMPORT_NAMES                                                                     \
  "stack", "mem", "palette", "active_palette", "key", "buffer", "background", "ghost", "sp", \
      "wide", "height", "ss_time", "ss_status", "ss_exit", "process_size", "id_offset",      \
      "id_init_offset", "id_start_offset", "id_end_offset", "set_palette", "kro_malloc",     \
      "kro_free", "kro_fopen", "kro_fclose", "kro_rand", "kro_text_out"

/* First entry point. Called once, before anything else.
 * Registers the eleven script functions, in this order, with these stack
 * effects ([-pops, +pushes]):
 *   START_RIPPLE(speed, frequency, amplitude)  [-3, +1]  result 1
 *   STOP_RIPPLE()                              [-0, +1]  result 0
 *   START_DISTORT(speed, frequency, amplitude) [-3, +1]  result 0
 *   STOP_DISTORT()                             [-0, +1]  result 0
 *   CHANGE_RVAL(value, selector)               [-2, +1]  result 1, or 0 for a bad selector
 *   CHANGE_DVAL(value, selector)               [-2, +1]  result 1, or 0 for a bad selector
 *   FILL(colour)                               [-1, +1]  result 0
 *   PUT_HLINE(row, colour)                     [-2, +1]  result 0
 *   PUT_VLINE(column, colour)                  [-2, +1]  result 0
 *   HOW_WIDE()                                 [-0, +1]  result: current width
 *   HOW_HIGH()                                 [-0, +1]  result: current height
 * Script functions may be called only after kromain. Calls no other host
 * operation. */
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
