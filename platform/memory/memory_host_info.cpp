#include "platform/memory/memory_socket_layer.h"

namespace {

class MemoryHostInfoManager : public THostInfoManager {
 public:
  explicit MemoryHostInfoManager(MemorySocketLayer& layer) : Layer(layer) {}

  std::string GetHostName(int bufferSize) override {
    if (bufferSize <= 0) return {};
    return Layer.HostName.substr(0, static_cast<std::size_t>(bufferSize - 1));
  }

  int GetHostInfo(THostEntry& entry, const std::string&) override {
    if (Layer.HostLookupFails) {
      entry = THostEntry();
      return -1;
    }
    entry = Layer.Host;
    return 0;
  }

 private:
  MemorySocketLayer& Layer;
};

}  // namespace

std::unique_ptr<THostInfoManager> MemorySocketLayer::NewHostInfoManager() {
  return std::make_unique<MemoryHostInfoManager>(*this);
}

class MemorySocketLayer::MemoryAddressWatch : public TAddressWatch {
 public:
  MemoryAddressWatch(MemorySocketLayer& layer, std::shared_ptr<AddressWatcher> watcher)
      : Layer(layer), Watcher(std::move(watcher)) {}
  ~MemoryAddressWatch() override { std::erase(Layer.AddressWatchers, Watcher); }

 private:
  MemorySocketLayer& Layer;
  std::shared_ptr<AddressWatcher> Watcher;
};

std::unique_ptr<TAddressWatch> MemorySocketLayer::WatchAddresses(std::function<void()> changed) {
  if (!CanWatchAddresses) return nullptr;
  auto watcher = std::make_shared<AddressWatcher>(std::move(changed));
  AddressWatchers.push_back(watcher);
  return std::make_unique<MemoryAddressWatch>(*this, watcher);
}

void MemorySocketLayer::ChangeAddresses(std::vector<TInterfaceAddress> entries) {
  Host.Entries = std::move(entries);
  const auto watchers = AddressWatchers;  // an owner may stop watching while it is told
  for (const auto& watcher : watchers)
    (*watcher)();
}
