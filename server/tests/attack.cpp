#include "attack.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "test_support.h"

extern char** environ;

namespace sorla::reports::testing {
namespace {

using Clock = std::chrono::steady_clock;

int socket_from(const std::string& from, int port, bool blocking) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | (blocking ? 0 : SOCK_NONBLOCK), 0);
  if (fd < 0) return -1;
  sockaddr_in local{}, remote{};
  local.sin_family = remote.sin_family = AF_INET;
  inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
  remote.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      (::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0 &&
       errno != EINPROGRESS)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A request head that never ends: a byte of it at a time.
constexpr std::string_view kEndless =
    "GET /report?typed=ban HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: "
    "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

}  // namespace

int connect_from(const std::string& from, int port) {
  const int fd = socket_from(from, port, true);
  if (fd < 0) return -1;
  const timeval five{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &five, sizeof five);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &five, sizeof five);
  return fd;
}

bool send_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string read_until_closed(int fd, std::chrono::milliseconds wait) {
  std::string out;
  const auto until = Clock::now() + wait;
  char buffer[4096];
  while (Clock::now() < until) {
    pollfd p{fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return out;
}

bool closed_within(int fd, std::chrono::milliseconds wait) {
  const auto until = Clock::now() + wait;
  char buffer[4096];
  // Looks at least once, so a zero wait asks "closed already?".
  do {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, wait.count() > 0 ? 50 : 0) <= 0) continue;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return true;
  } while (Clock::now() < until);
  return false;
}

int status_of(std::string_view bytes) {
  if (!bytes.starts_with("HTTP/1.") || bytes.size() < 12) return 0;
  return std::atoi(std::string(bytes.substr(9, 3)).c_str());
}

std::vector<std::string> local_addresses(int first, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    const int n = first + i;
    out.push_back("127.0." + std::to_string(n / 250) + "." + std::to_string(2 + n % 250));
  }
  return out;
}

void raise_file_limit() {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0) return;
  files.rlim_cur = files.rlim_max;
  setrlimit(RLIMIT_NOFILE, &files);
}

Attack::Attack(AttackPlan plan) : plan_(std::move(plan)) {
  raise_file_limit();
  thread_ = std::thread([this] { run(); });
}

Attack::~Attack() {
  stop_ = true;
  thread_.join();
}

void Attack::run() {
  struct Slot {
    bool trickler;
    int fd = -1;
    std::size_t sent = 0;      // of the request
    Clock::time_point next{};  // of the next byte, or of the next try to connect
    std::string request;
  };
  std::vector<Slot> slots;
  for (int i = 0; i < plan_.tricklers + plan_.idle; ++i) {
    Slot slot;
    slot.trickler = i < plan_.tricklers;
    if (!slot.trickler) {
      slot.request = testing::link_request("qa");
      if (plan_.forwarded) {
        // A made-up client address of its own, as the proxy would add it.
        slot.request.insert(slot.request.size() - 2, "X-Forwarded-For: 198.51." +
                                                         std::to_string(i / 250) + "." +
                                                         std::to_string(i % 250) + "\r\n");
      }
    }
    slots.push_back(std::move(slot));
  }
  std::size_t turn = 0;
  std::vector<pollfd> polled(slots.size());
  char buffer[4096];
  while (!stop_) {
    const auto now = Clock::now();
    int open = 0;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      Slot& s = slots[i];
      if (s.fd < 0 && now >= s.next) {
        s.fd = socket_from(plan_.from[turn++ % plan_.from.size()], plan_.port, false);
        s.sent = 0;
        s.next = now;
        if (s.fd < 0) s.next = now + std::chrono::milliseconds(100);
      }
      if (s.fd >= 0 && now >= s.next) {
        // A trickler's next byte; an idle connection's whole request, once.
        const std::string_view rest = s.trickler ? kEndless.substr(s.sent % kEndless.size(), 1)
                                                 : std::string_view(s.request).substr(s.sent);
        if (!rest.empty()) {
          const ssize_t n = ::send(s.fd, rest.data(), rest.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
          if (n > 0) s.sent += static_cast<std::size_t>(n);
        }
        s.next = s.trickler ? now + plan_.trickle_every : Clock::time_point::max();
      }
      open += s.fd >= 0;
      polled[i] = pollfd{s.fd, POLLIN, 0};
    }
    open_ = open;
    if (::poll(polled.data(), polled.size(), 20) <= 0) continue;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      Slot& s = slots[i];
      if (s.fd < 0 || polled[i].revents == 0) continue;
      const ssize_t n = ::recv(s.fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR))) continue;
      ::close(s.fd);
      s.fd = -1;
      s.next = Clock::now() + std::chrono::milliseconds(100);
      (s.trickler ? tricklers_closed_ : idle_closed_)++;
    }
  }
  for (const Slot& s : slots) {
    if (s.fd >= 0) ::close(s.fd);
  }
}

ServiceProcess::ServiceProcess(const std::string& exe, const std::vector<std::string>& args,
                               const std::string& log) {
  port_ = free_port();
  std::vector<std::string> all = {exe, "--listen", "127.0.0.1:" + std::to_string(port_)};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = {"SORLA_FORM_SECRET=formkey", "SORLA_ADMIN_TOKEN=s3cret"};
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 2, 1);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return;
  httplib::Client probe("127.0.0.1", port_);
  for (int i = 0; i < 500; ++i) {
    if (auto res = probe.Get("/healthz"); res && res->status == 200) {
      pid_ = pid;
      return;
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      early_status_ = status;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

ServiceProcess::~ServiceProcess() {
  if (pid_ > 0) stop(SIGKILL);
}

long ServiceProcess::rss_kib() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

int ServiceProcess::stop(int signal) {
  int status = 0;
  ::kill(pid_, signal);
  ::waitpid(pid_, &status, 0);
  pid_ = 0;
  return status;
}

}  // namespace sorla::reports::testing
