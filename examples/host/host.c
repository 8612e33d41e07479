/* A game host in one file: loads a wavefx-style plug-in, answers its 26
 * imports, calls its script functions through the argument stack, runs its
 * frame hook and writes four frames, frame-0.pgm .. frame-3.pgm, in the
 * working folder (grey levels are the palette indices).
 *   host PLUGIN        e.g. host ./wavefx.so, or host wavefx.dll on Windows
 * Build: cc -I include host.c -o host -ldl (on Windows, without -ldl). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kro_abi.h"

#ifdef _WIN32
#include <windows.h>
#define OPEN_LIBRARY(path) ((void *)LoadLibraryA(path))
#define FIND_SYMBOL(library, name) ((void *)GetProcAddress((HMODULE)(library), name))
#else
#include <dlfcn.h>
#define OPEN_LIBRARY(path) dlopen(path, RTLD_NOW)
#define FIND_SYMBOL(library, name) dlsym(library, name)
#endif

/* The host objects. `sp` is the index of the top entry: it starts at 0, over
 * a bottom entry stack[0] that holds nothing, so the first argument pushed
 * goes to stack[1]. */
static int32_t stack[64];
static int32_t sp = 0;
static int32_t wide = 64, height = 48;
static uint8_t *buffer, *background; /* the plug-in imports these variables' addresses */

static struct {
  const char *name;
  kro_function function;
  int parameter_count;
} functions[KRO_SCRIPT_FUNCTION_COUNT];
static int function_count;
static kro_function hook;

static void fail(const char *message, const char *name) {
  fprintf(stderr, "host: %s%s\n", message, name);
  exit(1);
}

static void register_function(const char *name, kro_function function, int parameter_count) {
  if (function_count == KRO_SCRIPT_FUNCTION_COUNT) fail("too many functions, at ", name);
  functions[function_count].name = name;
  functions[function_count].function = function;
  functions[function_count++].parameter_count = parameter_count;
}

/* "stack" is the array itself; "sp", "wide" and "height" are the addresses
 * of the integers; "buffer" and "background" the addresses of the pointer
 * variables, which the plug-in reads at each use. Every other name: null. */
static void *import_object(const char *name) {
  if (strcmp(name, "stack") == 0) return stack;
  if (strcmp(name, "sp") == 0) return &sp;
  if (strcmp(name, "wide") == 0) return &wide;
  if (strcmp(name, "height") == 0) return &height;
  if (strcmp(name, "buffer") == 0) return &buffer;
  if (strcmp(name, "background") == 0) return &background;
  return NULL;
}

static void export_object(const char *name, void *address) {
  if (strcmp(name, KRO_HOOK_BACKGROUND_TO_BUFFER) != 0) fail("unknown export ", name);
  hook = (kro_function)address;
}

/* Pushes the arguments, first to last, calls the function and pops its
 * result: sp ends where it started. */
static int32_t call(const char *name, int count, const int32_t *arguments) {
  for (int f = 0; f < function_count; ++f) {
    if (strcmp(functions[f].name, name) != 0) continue;
    if (functions[f].parameter_count != count) fail("wrong argument count for ", name);
    const int32_t start = sp;
    for (int i = 0; i < count; ++i) stack[++sp] = arguments[i];
    functions[f].function();
    if (sp != start + 1) fail("the stack was left unbalanced by ", name);
    return stack[sp--];
  }
  fail("no such function: ", name);
  return 0;
}

int main(int argc, char **argv) {
  if (argc != 2) fail("usage: host PLUGIN", "");
  void *library = OPEN_LIBRARY(argv[1]);
  if (library == NULL) fail("cannot load ", argv[1]);
  typedef void (*library_entry)(kro_register_function);
  typedef void (*main_entry)(kro_import_object, kro_export_object);
  const library_entry start_library = (library_entry)FIND_SYMBOL(library, "krolibrary");
  const main_entry start_main = (main_entry)FIND_SYMBOL(library, "kromain");
  const main_entry end_main = (main_entry)FIND_SYMBOL(library, "kroend");
  if (!start_library || !start_main || !end_main)
    fail("not a plug-in of this interface: ", argv[1]);
  const size_t pixels = (size_t)wide * (size_t)height;
  buffer = calloc(pixels, 1);
  background = calloc(pixels, 1);
  if (!buffer || !background) fail("out of memory", "");

  start_library(register_function);
  start_main(import_object, export_object);
  if (hook == NULL) fail("no frame hook was exported", "");
  if (call("HOW_WIDE", 0, NULL) != wide) fail("HOW_WIDE disagrees with ", "wide");
  const int32_t fill[] = {40}, ripple[] = {20, 10, 4};
  call("FILL", 1, fill);
  for (int32_t row = 0; row < height; row += 8) {
    const int32_t line[] = {row, 220};
    call("PUT_HLINE", 2, line);
  }
  call("START_RIPPLE", 3, ripple);
  for (int frame = 0; frame < 4; ++frame) {
    hook(); /* the background, rippled, into the buffer */
    char name[32];
    snprintf(name, sizeof name, "frame-%d.pgm", frame);
    FILE *out = fopen(name, "wb");
    if (out == NULL) fail("cannot write ", name);
    fprintf(out, "P5 %d %d 255\n", (int)wide, (int)height);
    const int written = fwrite(buffer, 1, pixels, out) == pixels;
    if (fclose(out) != 0 || !written) fail("cannot write ", name);
  }
  end_main(import_object, export_object);
  free(buffer);
  free(background);
  printf("host: wrote frame-0.pgm .. frame-3.pgm (%dx%d)\n", (int)wide, (int)height);
  return 0;
}
