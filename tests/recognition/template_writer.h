#pragma once

// Tests write template files record by record with the recogniser's own writer.

#include "recognition/template_writer.h"

namespace orbisk::test {

using orbisk::TemplateWriter;

}  // namespace orbisk::test
