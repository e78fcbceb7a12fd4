#include "TestHttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

int bound_socket(int* pPort) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("bind failed");
    }
    *pPort = ntohs(addr.sin_port);
    return fd;
}

bool send_all(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        // MSG_NOSIGNAL: the client may hang up early (for instance over a size cap).
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

const char* reason(int nStatus) {
    switch (nStatus) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

} // namespace

TestHttpServer::TestHttpServer() {
    m_listenFd = bound_socket(&m_nPort);
    if (::listen(m_listenFd, 16) != 0) {
        ::close(m_listenFd);
        throw std::runtime_error("listen failed");
    }
    m_acceptThread = std::thread([this] { _AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
    {
        std::lock_guard lock(m_mtx);
        m_bStopping = true;
    }
    m_cv.notify_all();
    ::shutdown(m_listenFd, SHUT_RDWR); // wakes accept()
    m_acceptThread.join();
    for (Connection& c : m_connections)
        c.thread.join();
    ::close(m_listenFd);
}

void TestHttpServer::SetReply(const std::string& strPath, Reply reply) {
    std::lock_guard lock(m_mtx);
    m_replies[strPath] = std::move(reply);
}

std::string TestHttpServer::Url(const std::string& strPath) const {
    return "http://127.0.0.1:" + std::to_string(m_nPort) + strPath;
}

int TestHttpServer::RequestCount() const {
    std::lock_guard lock(m_mtx);
    return m_nRequests;
}

void TestHttpServer::_AcceptLoop() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard lock(m_mtx);
        if (m_bStopping) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (it->bDone) {
                it->thread.join();
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
        Connection& c = m_connections.emplace_back();
        c.thread = std::thread([this, fd, &c] {
            _Serve(fd);
            c.bDone = true;
        });
    }
}

void TestHttpServer::_Serve(int fd) {
    timeval tv{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        request.append(buf, static_cast<std::size_t>(n));
    }
    // "GET /path HTTP/1.1"
    std::string path;
    const std::size_t sp1 = request.find(' ');
    const std::size_t sp2 = sp1 == std::string::npos ? sp1 : request.find(' ', sp1 + 1);
    if (sp2 != std::string::npos)
        path = request.substr(sp1 + 1, sp2 - sp1 - 1);

    Reply reply;
    {
        std::unique_lock lock(m_mtx);
        ++m_nRequests;
        auto it = m_replies.find(path);
        if (it != m_replies.end()) {
            reply = it->second;
        } else {
            reply.nStatus = 404;
            reply.strBody = "<html><body>not found</body></html>";
        }
        if (reply.bNeverAnswer) {
            m_cv.wait(lock, [this] { return m_bStopping; });
            ::close(fd);
            return;
        }
    }
    std::string head = "HTTP/1.1 " + std::to_string(reply.nStatus) + " " + reason(reply.nStatus) +
                       "\r\nContent-Type: text/xml\r\nConnection: close\r\n";
    if (!reply.strLocation.empty())
        head += "Location: " + reply.strLocation + "\r\n";
    if (reply.bSendLength)
        head += "Content-Length: " + std::to_string(reply.strBody.size()) + "\r\n";
    head += "\r\n";
    if (send_all(fd, head))
        send_all(fd, reply.strBody);
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}

RefusingPort::RefusingPort() {
    m_fd = bound_socket(&m_nPort);
}

RefusingPort::~RefusingPort() {
    ::close(m_fd);
}
