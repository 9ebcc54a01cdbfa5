// Building requests and checking/decoding replies, per message.
#include <benchmark/benchmark.h>

#include <cstring>

#include "protocol/messages.h"

namespace {

GatewayRecord SampleRecord() {
  GatewayRecord r = kEmptyGatewayRecord;
  const std::uint8_t mac[6] = {0x02, 0x00, 0x00, 0x12, 0x34, 0x56};
  std::memcpy(r.Mac, mac, 6);
  r.ActualIp = r.Ip = 0xC0A80132;
  r.Netmask = 0xFFFFFF00;
  r.GatewayIp = 0xC0A80101;
  r.DnsIp = 0x08080808;
  r.Port = 8080;
  std::strcpy(r.Name, "line-3-station-12");
  std::strcpy(r.Server, "collector.plant.example");
  std::strcpy(r.ProxyServer, "proxy.plant.example");
  return r;
}

void BM_ParseGatewayInfoReply(benchmark::State& state) {
  const auto bytes = BuildGatewayInfoReply(SampleRecord());
  ParsedReply reply;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ParseGatewayInfoReply(bytes.data(), bytes.size(), kGatewayPort, reply));
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
    benchmark::DoNotOptimize(
        ParseGatewayInfoReply(bytes.data(), bytes.size(), kGatewayPort, reply));
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
    benchmark::DoNotOptimize(DecodeGatewayRequest(bytes.data(), bytes.size(), request));
    benchmark::DoNotOptimize(request);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeSetConfigRequest);

}  // namespace

BENCHMARK_MAIN();
