// Readers for what period-tracking apps and Apple Health export: JSON files,
// Health's export.xml, and the zip Health writes it into.
#pragma once

#include <memory>

#include "import/FormatReader.h"

namespace imports {

// Lists of dated entries: per-day entries with a flow or type field, periods
// as start and end dates, and tables of periods beside other tables.
std::unique_ptr<FormatReader> MakeJsonReader(const ReadOptions& options);

// Health's export.xml: its menstrual-flow and intermenstrual-bleeding records.
std::unique_ptr<FormatReader> MakeHealthXmlReader(const ReadOptions& options);

// A zip: export.xml read from it as it inflates, without the central directory.
std::unique_ptr<FormatReader> MakeZipReader(const ReadOptions& options);

} // namespace imports
