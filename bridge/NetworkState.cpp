#include "bridge/NetworkState.h"

#include <gio/gio.h>

namespace {

class CGioNetworkState : public INetworkState {
public:
    bool IsConnected() override {
        GNetworkMonitor* monitor = g_network_monitor_get_default();
        return monitor && g_network_monitor_get_network_available(monitor);
    }
};

} // namespace

std::shared_ptr<INetworkState> CreateSystemNetworkState() {
    return std::make_shared<CGioNetworkState>();
}
