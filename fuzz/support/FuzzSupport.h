// What the fuzz targets share: the entry point every target defines, a
// scratch folder of the process for parsers that read files, quiet logging,
// and the check of a property every result must have.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace orvane::fuzz {

// A folder of this process's own in TMPDIR, made on first use and removed
// when the process ends normally.
const QString& ScratchFolder();

// Writes size bytes to ScratchFolder()/name, replacing what was there, and
// returns the file's path. Folders in name are made as needed; every write
// gives the file a modification time of its own.
QString WriteScratchFile(const QString& name, const void* data, std::size_t size);

// Ends the process with what when a property does not hold: libFuzzer keeps
// the input as a finding, and the corpus replay fails.
void Check(bool holds, const char* what);

}  // namespace orvane::fuzz
