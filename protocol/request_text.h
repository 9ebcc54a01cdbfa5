#pragma once

#include <cstdint>
#include <span>
#include <string>

// A request as one line of text for a production record: the command, the module it is for,
// and what it carries, as key=value words; texts and MACs in double quotes.
//
//   command=SetMacRequest target="02 00 00 00 00 01" new-mac="02 00 00 FF FF FF" serial=16777215
//
// Bytes that are no request give "command=unknown length=N".
std::string DescribeRequest(std::span<const std::uint8_t> bytes);
