// Building requests and checking/decoding replies, per message.
#include <benchmark/benchmark.h>

#include <cstring>

#include "protocol/messages.h"
#include "tests/support/sample_record.h"

namespace {

void BM_ParseGatewayInfoReply(benchmark::State& state) {
  const auto bytes = BuildGatewayInfoReply(SampleRecord());
  ParsedReply reply;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseGatewayInfoReply(bytes, kGatewayPort, reply));
    benchmark::DoNotOptimize(reply);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ParseGatewayInfoReply);

void BM_RejectForeignDatagram(benchmark::State& state) {
  auto bytes = BuildGatewayInfoReply(SampleRecord());
  bytes[9] = 0xBB;  // wrong length field
  ParsedReply reply;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseGatewayInfoReply(bytes, kGatewayPort, reply));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RejectForeignDatagram);

void BM_BuildSetConfigRequest(benchmark::State& state) {
  const GatewayRecord record = SampleRecord();
  for (auto _ : state)
    benchmark::DoNotOptimize(BuildSetConfigRequest(record));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildSetConfigRequest);

void BM_BuildSearchRequest(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(BuildSearchRequest());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildSearchRequest);

void BM_DecodeSetConfigRequest(benchmark::State& state) {
  const auto bytes = BuildSetConfigRequest(SampleRecord());
  GatewayRequest request;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodeGatewayRequest(bytes, request));
    benchmark::DoNotOptimize(request);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeSetConfigRequest);

}  // namespace

BENCHMARK_MAIN();
