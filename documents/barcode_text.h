#pragma once

#include <QByteArray>

#include "documents/barcode_reader.h"

namespace orbisk {

// The barcode text file's JSON: {"Code":[{"<type>":"<data>"},...]}, one
// object per (type, data) pair in order, without blanks. Type and data are
// escaped as JSON strings require (quotation mark, backslash, control
// characters); other bytes, UTF-8 included, are copied as they are. Returns 1
// with `text` (and `length`, its size in bytes, when given) set, or 0 with
// nothing changed when `text` is null or there is no pair.
int BarcodesToJson(const BarcodeResults& pairs, QByteArray* text, int* length);

}  // namespace orbisk
