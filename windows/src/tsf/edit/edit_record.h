// One document edit, as the typing session asked for it.
#pragma once

#include <optional>
#include <string>

#include "com/com_ptr.h"
#include "tsf_decls.h"

namespace sorla::edit {

struct EditRecord {
  std::string commit;                  // final text to insert; may be empty
  std::string composition_text;        // what the composition shows afterwards; empty: none
  std::optional<std::string> retract;  // to delete from just before the selection
  // A composition to end (focus change, deactivation); then only `commit` is used.
  com::ComPtr<ITfComposition> finish;
};

}  // namespace sorla::edit
