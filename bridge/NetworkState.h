#pragma once

#include <memory>

// Whether a network connection exists, as the movie is told.
class INetworkState {
public:
    virtual ~INetworkState() = default;
    virtual bool IsConnected() = 0;
};

// The desktop's own answer (GIO's network monitor).
std::shared_ptr<INetworkState> CreateSystemNetworkState();

// A fixed answer, for tests and for machines without a monitor.
class CFixedNetworkState : public INetworkState {
public:
    explicit CFixedNetworkState(bool bConnected) : m_bConnected(bConnected) {}
    bool IsConnected() override { return m_bConnected; }
    bool m_bConnected;
};
