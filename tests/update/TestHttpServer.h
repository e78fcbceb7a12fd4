#pragma once

#include <atomic>
#include <condition_variable>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// A small HTTP/1.1 server on 127.0.0.1 (port chosen by the system), one thread per connection.
// Paths without a reply get 404.
class TestHttpServer {
public:
    struct Reply {
        int nStatus = 200;
        std::string strBody;
        std::string strLocation;   // sent as Location header when not empty
        bool bSendLength = true;   // false: the body ends when the connection closes
        bool bNeverAnswer = false; // read the request, then keep the connection open silently
    };

    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    void SetReply(const std::string& strPath, Reply reply);
    int Port() const { return m_nPort; }
    // "http://127.0.0.1:<port>" followed by strPath.
    std::string Url(const std::string& strPath) const;
    int RequestCount() const;

private:
    void _AcceptLoop();
    void _Serve(int fd);

    int m_listenFd = -1;
    int m_nPort = 0;
    mutable std::mutex m_mtx;
    std::condition_variable m_cv;
    bool m_bStopping = false;
    int m_nRequests = 0;
    std::map<std::string, Reply> m_replies;
    struct Connection {
        std::thread thread;
        std::atomic<bool> bDone{false};
    };
    std::list<Connection> m_connections; // finished ones are joined at the next accept
    std::thread m_acceptThread;
};

// A port on 127.0.0.1 that refuses connections: bound, never listening, held for the lifetime.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    int Port() const { return m_nPort; }

private:
    int m_fd = -1;
    int m_nPort = 0;
};
