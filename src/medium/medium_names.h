#pragma once
// The fixed file names of a GDPdU data medium.

namespace norvik {

// The description file of a data medium.
inline const char* const kIndexFileName = "Index.xml";
// The document type Index.xml refers to, copied beside it by the build.
inline const char* const kGdpduDtdName = "gdpdu-01-08-2002.dtd";
// The later published version, which most other producers and cash-register exports name.
inline const char* const kGdpduDtd2004Name = "gdpdu-01-09-2004.dtd";
// The handover record inside the ZIP of a medium (never in the medium's folder).
inline const char* const kHandoverRecordName = "Uebergabeprotokoll.txt";
// The SHA-256 sums of every other file inside the ZIP, as sha256sum writes them.
inline const char* const kHashListName = "Pruefsummen.sha256";

}  // namespace norvik
