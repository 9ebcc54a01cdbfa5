#include "platform/memory/memory_socket_layer.h"

namespace {

class MemoryHostInfoManager : public THostInfoManager {
 public:
  explicit MemoryHostInfoManager(MemorySocketLayer& layer) : Layer(layer) {}
  ~MemoryHostInfoManager() override { CancelHostRequest(); }

  std::string GetHostName(int bufferSize) override {
    if (bufferSize <= 0) return {};
    return Layer.HostName.substr(0, static_cast<std::size_t>(bufferSize - 1));
  }

  int GetHostInfo(THostEntry& entry, const std::string&) override {
    if (Layer.HostLookupFails) {
      entry = THostEntry();
      LastError = wsa::HOST_NOT_FOUND_;
      return -1;
    }
    entry = Layer.Host;
    return 0;
  }

  int GetHostInfoAsync(TMessageTarget& window, const std::string& name, unsigned message) override {
    if (Layer.AsyncStartError != 0) {
      LastError = Layer.AsyncStartError;
      return -1;
    }
    Layer.Lookups.push_back({&window, name, message, true});
    Mine.push_back(Layer.Lookups.size() - 1);
    return 0;
  }

  void CancelHostRequest() override {
    for (std::size_t index : Mine) {
      if (Layer.Lookups[index].Pending) {
        Layer.Lookups[index].Pending = false;
        ++Layer.LookupCancels;
      }
    }
    Mine.clear();
  }

  int GetLastError() const override { return LastError; }

 private:
  MemorySocketLayer& Layer;
  std::vector<std::size_t> Mine;
  int LastError = 0;
};

}  // namespace

std::unique_ptr<THostInfoManager> MemorySocketLayer::NewHostInfoManager() {
  return std::make_unique<MemoryHostInfoManager>(*this);
}

void MemorySocketLayer::CompleteLookup(std::size_t index, unsigned error) {
  if (index >= Lookups.size() || !Lookups[index].Pending) return;
  Lookup& lookup = Lookups[index];
  lookup.Pending = false;
  lookup.Window->WindowProc(lookup.Message, index + 1,
                            static_cast<std::intptr_t>(MakeLong(0, error)));
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

std::unique_ptr<TAddressWatch> MemorySocketLayer::WatchAddresses(TMessageTarget& window,
                                                                 unsigned message) {
  if (!CanWatchAddresses) return nullptr;
  auto watcher = std::make_shared<AddressWatcher>(AddressWatcher{&window, message});
  AddressWatchers.push_back(watcher);
  return std::make_unique<MemoryAddressWatch>(*this, watcher);
}

void MemorySocketLayer::ChangeAddresses(std::vector<TInterfaceAddress> entries) {
  Host.Entries = std::move(entries);
  const auto watchers = AddressWatchers;  // a window may stop watching while it is told
  for (const auto& watcher : watchers)
    watcher->Window->WindowProc(watcher->Message, 0, 0);
}
