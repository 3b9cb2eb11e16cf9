#pragma once
// A ZIP's entries laid out anew, byte by byte, as other programs write packages: libzip writes
// only its own layout, and these are the ones a check must read as unzip -t does (or refuse).

#include <string>

namespace norvik::test {

// Rewrites the ZIP (deflated, as libzip wrote it) with the same packed entries in a layout:
//   zip64                every end record field at 0xFFFF / 0xFFFFFFFF, the real values in a
//                        ZIP64 end record and locator, every entry with ZIP64 extra fields
//   streamed             Info-ZIP writing to a pipe: data descriptors after the data, the local
//                        header with the unpacked size only
//   streamed-zeros       data descriptors, the local header with zeros
//   streamed-zip64       data descriptors with 64-bit sizes, the local header with 0xFFFFFFFF
//                        and a ZIP64 extra field of zeros
//   zip64-streamed       as zip64, with data descriptors of 64-bit sizes and the local header
//                        with zeros (Go's archive/zip for a package over 4 GiB)
// and contradicting ones, that no reader can trust:
//   streamed-other-size  as streamed, the first local header's unpacked size one more
//   local-name           the first local header names another file (a letter in other case)
//   streamed-overlap     as streamed, the first entry's data reaching into the second entry
//   zip64-other-count    as zip64, the ZIP64 end record stating one entry less
// Raises std::runtime_error for an unknown layout.
void RelayZip(const std::string& zip, const std::string& layout);

}  // namespace norvik::test
