#include "platform/memory/memory_socket_layer.h"

bool MemorySocketLayer::ReadOwnAddresses(THostEntry& entry) {
  entry = AddressesUnreadable ? THostEntry() : Host;
  return !AddressesUnreadable;
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
