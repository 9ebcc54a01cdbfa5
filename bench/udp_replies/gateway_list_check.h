#pragma once

// What the program shows after a flood of replies that cycled through `distinct` gateways of
// ReplyFlooder::Record, in order: the first min(distinct, 20) of them, in that order, in the
// gateway list, the combo box and the count; the first one selected with its fields shown.

#include <string>
#include <vector>

class BenchProgram;

// Every difference found, one text each; empty when the program shows exactly that.
std::vector<std::string> CheckGatewayList(BenchProgram& program, int distinct);
