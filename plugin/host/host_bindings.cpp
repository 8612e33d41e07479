#include "host_bindings.h"

namespace wavefx {

HostBindings host;

void bind_host(kro_import_object import_object) {
  host.stack = import_object("stack");
  host.mem = import_object("mem");
  host.palette = import_object("palette");
  host.active_palette = import_object("active_palette");
  host.key = import_object("key");
  host.buffer = import_object("buffer");
  host.background = import_object("background");
  host.ghost = import_object("ghost");
  host.sp = import_object("sp");
  host.wide = import_object("wide");
  host.height = import_object("height");
  host.ss_time = import_object("ss_time");
  host.ss_status = import_object("ss_status");
  host.ss_exit = import_object("ss_exit");
  host.process_size = import_object("process_size");
  host.id_offset = import_object("id_offset");
  host.id_init_offset = import_object("id_init_offset");
  host.id_start_offset = import_object("id_start_offset");
  host.id_end_offset = import_object("id_end_offset");
  host.set_palette = import_object("set_palette");
  host.kro_malloc = import_object("kro_malloc");
  host.kro_free = import_object("kro_free");
  host.kro_fopen = import_object("kro_fopen");
  host.kro_fclose = import_object("kro_fclose");
  host.kro_rand = import_object("kro_rand");
  host.kro_text_out = import_object("kro_text_out");
}

// sp moves in unsigned arithmetic: a host that hands over an extreme sp gets
// a wrapped index, never signed-overflow undefined behaviour in the plug-in.
static int32_t *stack_pointer() {
  return static_cast<int32_t *>(host.sp);
}

int32_t pop_argument() {
  int32_t *sp = stack_pointer();
  const int32_t value = static_cast<int32_t *>(host.stack)[*sp];
  *sp = static_cast<int32_t>(static_cast<uint32_t>(*sp) - 1u);
  return value;
}

void push_result(int32_t result) {
  int32_t *sp = stack_pointer();
  *sp = static_cast<int32_t>(static_cast<uint32_t>(*sp) + 1u);
  static_cast<int32_t *>(host.stack)[*sp] = result;
}

}  // namespace wavefx
