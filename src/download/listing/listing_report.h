#pragma once

#include "download/listing/listing_job.h"
#include "download/listing/listing_run.h"

#include <QString>

// What the log says of 上架图, in Chinese.
namespace ListingReport {

// One line per item: what was made and where, what was left out or is
// still over the limit; or why nothing was made.
QString itemText(const ListingOutcome &outcome);
// The run's last line.
QString tallyText(const ListingTally &tally);

} // namespace ListingReport
