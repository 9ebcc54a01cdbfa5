#pragma once

#include <optional>

#include "gateway/production_commands.h"
#include "platform/counter_file.h"
#include "station/given_number.h"
#include "station/station_io.h"

// The next MAC of the counter file given to one module: vellora-cli's assign --serial-file and
// the window's Set && Incr. with --serial-file. Under the counter's lock the number becomes a
// request, the request's line is stored in the record, and the next number is written back;
// the request leaves after that. A MAC refused, or one the record cannot take, leaves the
// counter as it was; a request that does not leave after that has used up its number, which is
// never given again. Everything that fails is said.
GivenNumber GiveFromCounter(TCounterFile& counter, const StationIo& io, const GatewayRecord& module,
                            const MacStart& prefix, const MacUser& inUse);
