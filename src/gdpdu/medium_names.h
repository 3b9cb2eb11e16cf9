#pragma once
// The fixed file names of a GDPdU data medium.

namespace norvik {

// The description file of a data medium.
inline const char* const kIndexFileName = "Index.xml";
// The document type Index.xml refers to, copied beside it by the build.
inline const char* const kGdpduDtdName = "gdpdu-01-08-2002.dtd";

}  // namespace norvik
