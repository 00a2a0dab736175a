#include "http_server.h"

#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "connection_guard.h"
#include "log_line.h"
#include "work_queue.h"

namespace sorla::reports {
namespace {

// What the library may hold for one connection: the request's head and
// body as they are read, and the answer's head. A head beyond it is
// refused by the library itself (431).
constexpr std::size_t kConnectionMemory = 16 * 1024;

const Refusal kShuttingDown{503, "The service is restarting; please try again."};

// One request on one connection, from its first line to its answer.
struct Exchange {
  explicit Exchange(std::string uri) : raw_path(std::move(uri)) {}
  std::string raw_path;  // as sent, for the log
  std::string method;
  const Route* route = nullptr;
  enum class Phase { Head, Body, Handler, Answered } phase = Phase::Head;
  Request request;
  std::string body;
  Response response;
  int status = 0;  // of the answer queued
};

MHD_Result collect(void* cls, MHD_ValueKind, const char* key, size_t key_size, const char* value,
                   size_t value_size) {
  static_cast<Fields*>(cls)->emplace_back(std::string(key, key_size),
                                          value != nullptr ? std::string(value, value_size) : "");
  return MHD_YES;
}

Fields fields_of(MHD_Connection* connection, MHD_ValueKind kind) {
  Fields fields;
  MHD_get_connection_values_n(connection, kind, collect, &fields);
  return fields;
}

std::string peer_of(MHD_Connection* connection) {
  const auto* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  char host[NI_MAXHOST] = "";
  if (info == nullptr || info->client_addr == nullptr) return host;
  const socklen_t size =
      info->client_addr->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
  getnameinfo(info->client_addr, size, host, sizeof host, nullptr, 0, NI_NUMERICHOST);
  return host;
}

// A form's fields as the library's reader hands them over, a value
// perhaps in several pieces.
MHD_Result form_field(void* cls, MHD_ValueKind, const char* key, const char*, const char*,
                      const char*, const char* data, uint64_t offset, size_t size) {
  auto& form = *static_cast<Fields*>(cls);
  if (offset == 0 || form.empty()) {
    form.emplace_back(key, std::string(data, size));
  } else {
    form.back().second.append(data, size);
  }
  return MHD_YES;
}

// The handler's answer; a 500 should it throw (out of memory, say), which
// must not unwind through the library.
Response run(const Route& route, const Request& request) {
  try {
    return route.handler(request);
  } catch (const std::exception&) {
    return Response{500, "text/plain; charset=utf-8", "Internal error.\n", {}};
  }
}

const char* termination(MHD_RequestTerminationCode code) {
  switch (code) {
    case MHD_REQUEST_TERMINATED_COMPLETED_OK:
      return "sent";
    case MHD_REQUEST_TERMINATED_TIMEOUT_REACHED:
      return "silent too long";
    case MHD_REQUEST_TERMINATED_DAEMON_SHUTDOWN:
      return "shutting down";
    case MHD_REQUEST_TERMINATED_READ_ERROR:
    case MHD_REQUEST_TERMINATED_CLIENT_ABORT:
      return "closed by the client or cut";
    default:
      return "error";
  }
}

}  // namespace

std::string Request::param(std::string_view name) const {
  return std::string(first_value(method == "POST" ? form : query, name).value_or(""));
}

std::string Request::header(std::string_view name) const {
  return std::string(first_value(headers, name).value_or(""));
}

struct HttpServer::Impl {
  explicit Impl(HttpLimits l)
      : limits(l),
        guard({l.connections, l.header_deadline, l.request_deadline}),
        workers(l.workers),
        health(1) {}

  MHD_Result on_access(MHD_Connection* c, const char* url, const char* method, const char* upload,
                       size_t* upload_size, void** context);
  MHD_Result on_head(MHD_Connection* c, Exchange& ex, const char* url);
  MHD_Result on_body_done(MHD_Connection* c, Exchange& ex);
  MHD_Result answer(MHD_Connection* c, Exchange& ex, const Response& response, bool close);
  MHD_Result refuse(MHD_Connection* c, Exchange& ex, const Refusal& refusal) {
    return answer(c, ex, error_page(refusal), true);
  }
  void on_completed(MHD_Connection* c, Exchange* ex, MHD_RequestTerminationCode code);

  // The library's callbacks, `cls` being this.
  static MHD_Result access_cb(void* cls, MHD_Connection* c, const char* url, const char* method,
                              const char*, const char* upload, size_t* upload_size,
                              void** context) {
    return static_cast<Impl*>(cls)->on_access(c, url, method, upload, upload_size, context);
  }
  // The first line is in: an exchange begins, with the path as sent.
  static void* uri_cb(void*, const char* uri, MHD_Connection*) { return new Exchange(uri); }
  static void completed_cb(void* cls, MHD_Connection* c, void** context,
                           MHD_RequestTerminationCode code) {
    static_cast<Impl*>(cls)->on_completed(c, static_cast<Exchange*>(*context), code);
    *context = nullptr;
  }
  static void connection_cb(void* cls, MHD_Connection* c, void**,
                            MHD_ConnectionNotificationCode code) {
    auto& guard = static_cast<Impl*>(cls)->guard;
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const auto* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
      guard.opened(c, info != nullptr ? info->connect_fd : -1);
    } else {
      guard.closed(c);
    }
  }
  bool shutting_down() {
    const std::lock_guard hold(posting);
    return stopping;
  }

  HttpLimits limits;
  std::vector<Route> routes;
  std::function<void(const std::string&)> log = [](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
  };
  std::function<Response(const Refusal&)> error_page = [](const Refusal& r) {
    return Response{r.status, "text/plain; charset=utf-8", r.message + "\n", {}};
  };
  ConnectionGuard guard;
  WorkQueue workers, health;
  // Once stopping, no request goes to the workers any more; a request is
  // posted under the lock, so that none slips in after stop() looked.
  std::mutex posting;
  bool stopping = false;
  std::atomic<int> answering{0};  // requests past their head, not yet completed
  MHD_Daemon* daemon = nullptr;
};

MHD_Result HttpServer::Impl::on_access(MHD_Connection* c, const char* url, const char* method,
                                       const char* upload, size_t* upload_size, void** context) {
  auto* ex = static_cast<Exchange*>(*context);
  if (ex == nullptr) *context = ex = new Exchange(url);
  switch (ex->phase) {
    case Exchange::Phase::Head:
      ex->method = method;
      return on_head(c, *ex, url);
    case Exchange::Phase::Body:
      if (*upload_size > 0) {
        // The head's length was checked: never more than the form's limit.
        ex->body.append(upload, *upload_size);
        *upload_size = 0;
        return MHD_YES;
      }
      return on_body_done(c, *ex);
    case Exchange::Phase::Handler:  // resumed: the answer is ready
      return answer(c, *ex, ex->response, false);
    case Exchange::Phase::Answered:
      break;
  }
  return MHD_YES;
}

MHD_Result HttpServer::Impl::on_head(MHD_Connection* c, Exchange& ex, const char* url) {
  guard.reading(c);
  ++answering;
  ex.phase = Exchange::Phase::Body;
  ex.request.method = ex.method == "HEAD" ? "GET" : ex.method;
  ex.request.path = url;
  ex.request.headers = fields_of(c, MHD_HEADER_KIND);
  ex.request.deadline = Clock::now() + limits.request_deadline;
  // Every answer given before the body is read closes the connection: the
  // library will not read a body nobody asked for.
  if (auto refusal = check_framing(ex.request.headers, limits.head)) return refuse(c, ex, *refusal);
  if (shutting_down()) return refuse(c, ex, kShuttingDown);
  bool path_known = false;
  for (const Route& route : routes) {
    if (route.path != ex.request.path) continue;
    path_known = true;
    if (route.method == ex.request.method) ex.route = &route;
  }
  if (ex.route == nullptr) {
    return refuse(c, ex,
                  path_known ? Refusal{405, "This page does not take that method."}
                             : Refusal{404, "There is no such page."});
  }
  if (ex.route->before_body) {
    if (auto refusal = ex.route->before_body(ex.request.headers)) return refuse(c, ex, *refusal);
  }
  ex.request.query = fields_of(c, MHD_GET_ARGUMENT_KIND);
  ex.request.peer = peer_of(c);
  return MHD_YES;
}

MHD_Result HttpServer::Impl::on_body_done(MHD_Connection* c, Exchange& ex) {
  if (ex.route->form && !ex.body.empty()) {
    MHD_PostProcessor* reader = MHD_create_post_processor(c, 1024, form_field, &ex.request.form);
    const bool read = reader != nullptr &&
                      MHD_post_process(reader, ex.body.data(), ex.body.size()) == MHD_YES &&
                      MHD_destroy_post_processor(reader) == MHD_YES;
    if (!read) {
      if (reader != nullptr) MHD_destroy_post_processor(reader);
      return refuse(c, ex, Refusal{400, "The form could not be read."});
    }
  }
  const Route& route = *ex.route;
  if (route.lane == Lane::AtOnce) return answer(c, ex, run(route, ex.request), false);
  // The network thread goes on with other connections while a worker
  // runs the handler; the library calls on_access again once it resumes.
  const std::lock_guard hold(posting);
  if (stopping) return refuse(c, ex, kShuttingDown);
  ex.phase = Exchange::Phase::Handler;
  guard.working(c);
  MHD_suspend_connection(c);
  (route.lane == Lane::Health ? health : workers).post([c, &ex, &route] {
    ex.response = run(route, ex.request);
    MHD_resume_connection(c);
  });
  return MHD_YES;
}

MHD_Result HttpServer::Impl::answer(MHD_Connection* c, Exchange& ex, const Response& response,
                                    bool close) {
  ex.phase = Exchange::Phase::Answered;
  ex.status = response.status;
  guard.working(c);
  MHD_Response* out = MHD_create_response_from_buffer(
      response.body.size(), const_cast<char*>(response.body.data()), MHD_RESPMEM_MUST_COPY);
  if (out == nullptr) return MHD_NO;
  MHD_add_response_header(out, MHD_HTTP_HEADER_CONTENT_TYPE, response.content_type.c_str());
  for (const auto& [name, value] : response.headers) {
    MHD_add_response_header(out, name.c_str(), value.c_str());
  }
  if (close) MHD_add_response_header(out, MHD_HTTP_HEADER_CONNECTION, "close");
  const MHD_Result queued = MHD_queue_response(c, static_cast<unsigned>(response.status), out);
  MHD_destroy_response(out);
  return queued;
}

void HttpServer::Impl::on_completed(MHD_Connection* c, Exchange* ex,
                                    MHD_RequestTerminationCode code) {
  if (ex == nullptr) return;
  std::string outcome;
  if (ex->status != 0) {
    outcome = std::to_string(ex->status);
    if (code != MHD_REQUEST_TERMINATED_COMPLETED_OK)
      outcome += std::string(" (") + termination(code) + ")";
  } else if (ex->method.empty()) {
    // The library itself refused the head (too large, malformed), or the
    // client never finished it.
    outcome = code == MHD_REQUEST_TERMINATED_COMPLETED_OK
                  ? "- (refused by the HTTP layer)"
                  : std::string("- (") + termination(code) + ")";
  } else {
    outcome = std::string("- (") + termination(code) + ")";
  }
  log(log_line(ex->method, ex->raw_path.substr(0, ex->raw_path.find('?')), outcome));
  if (ex->phase != Exchange::Phase::Head) --answering;
  delete ex;
  guard.waiting(c);
}

HttpServer::HttpServer(HttpLimits limits) : impl_(std::make_unique<Impl>(limits)) {}

HttpServer::~HttpServer() { stop(); }

void HttpServer::add(Route route) { impl_->routes.push_back(std::move(route)); }

void HttpServer::set_log(std::function<void(const std::string&)> log) {
  impl_->log = std::move(log);
}

void HttpServer::set_error_page(std::function<Response(const Refusal&)> page) {
  impl_->error_page = std::move(page);
}

int HttpServer::start(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> address(found, freeaddrinfo);
  const HttpLimits& l = impl_->limits;
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
  if (address->ai_family == AF_INET6) flags |= MHD_USE_IPv6;
  Impl* self = impl_.get();
  // clang-format off
  impl_->daemon = MHD_start_daemon(
      flags, static_cast<uint16_t>(port), nullptr, nullptr, &Impl::access_cb, self,
      MHD_OPTION_SOCK_ADDR, address->ai_addr,
      MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(l.network_threads),
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(l.connections),
      MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<unsigned>(l.per_address),
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(l.silence.count()),
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
      MHD_OPTION_LISTEN_BACKLOG_SIZE, static_cast<unsigned>(SOMAXCONN),
      MHD_OPTION_STRICT_FOR_CLIENT, 1,
      MHD_OPTION_URI_LOG_CALLBACK, &Impl::uri_cb, self,
      MHD_OPTION_NOTIFY_COMPLETED, &Impl::completed_cb, self,
      MHD_OPTION_NOTIFY_CONNECTION, &Impl::connection_cb, self,
      MHD_OPTION_END);
  // clang-format on
  if (impl_->daemon == nullptr) return -1;
  const auto* bound = MHD_get_daemon_info(impl_->daemon, MHD_DAEMON_INFO_BIND_PORT);
  return bound != nullptr ? bound->port : -1;
}

void HttpServer::stop() {
  if (impl_->daemon == nullptr) return;
  {
    const std::lock_guard hold(impl_->posting);
    impl_->stopping = true;
  }
  const MHD_socket listening = MHD_quiesce_daemon(impl_->daemon);
  // Every request with a worker finishes and resumes its connection: none
  // is left suspended when the library closes them all.
  impl_->workers.wait_idle();
  impl_->health.wait_idle();
  // The answers of the last requests go out before the connections close.
  const auto until = Clock::now() + std::chrono::seconds(2);
  while (impl_->answering > 0 && Clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  MHD_stop_daemon(impl_->daemon);
  impl_->daemon = nullptr;
  if (listening != MHD_INVALID_SOCKET) ::close(listening);
}

}  // namespace sorla::reports
