// One load of arbitrary bytes, checked against the format's rules.
#pragma once

#include <string_view>

// Loads fileBytes with LoadPackage through the native LZ reader, as the
// installer loads its package file; packageBytes is what the reader delivers
// from them (the same bytes, or their expansion when they are SZDD). The
// loader must accept exactly the files that follow every rule of the format,
// hand back the image of such a file with every slot zero-padded, and leave
// nothing open or allocated.
void CheckPackageLoad(std::string_view fileBytes, std::string_view packageBytes);
