// The report service's HTTP layer, on GNU libmicrohttpd: an event loop on a
// few threads, where an open connection costs a little memory and no
// thread. The library bounds each connection's memory (so its headers),
// the connections from one address, and silence; this adds what it lacks:
// deadlines for a request's headers and for the whole request, room made
// by closing idle connections when they run short, limits on the number
// and size of headers, refusals of a body before it is read (too large,
// compressed, framed twice), and handlers that may wait on a database
// without holding up the network threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "request_head.h"

namespace sorla::reports {

using Clock = std::chrono::steady_clock;

struct HttpLimits {
  std::size_t connections = 1024;                     // at most open at once
  std::size_t per_address = 32;                       // connections from one address; 0: any number
  std::chrono::milliseconds header_deadline{5000};    // from waiting to headers in
  std::chrono::milliseconds request_deadline{10000};  // from headers in to the answer
  std::chrono::seconds silence{10};                   // while a body or an answer is on its way
  HeadLimits head;
  std::size_t network_threads = 2;
  std::size_t workers = 16;  // for handlers that may wait
};

struct Request {
  std::string method, path;
  std::string peer;  // the connection's address
  Fields headers, query, form;
  Clock::time_point deadline;  // by when the answer is due

  // A form field for a post, a query field otherwise; "" when absent.
  std::string param(std::string_view name) const;
  // The first line of the header `name`; "" when absent.
  std::string header(std::string_view name) const;
};

struct Response {
  int status = 200;
  std::string content_type = "text/html; charset=utf-8";
  std::string body;
  Fields headers;
};

// Where a route's handler runs: on the network thread (it never waits), on
// the workers (it may wait on the database), or on a thread of its own
// (the health check, which must not queue behind the workers).
enum class Lane { AtOnce, Workers, Health };

struct Route {
  std::string method, path;
  Lane lane = Lane::AtOnce;
  std::function<Response(const Request&)> handler;
  // Whether the body is a form to read (application/x-www-form-urlencoded).
  bool form = false;
  // Checked on the head, before any of the body is read.
  std::function<std::optional<Refusal>(const Fields& headers)> before_body;
};

class HttpServer {
 public:
  explicit HttpServer(HttpLimits limits = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  void add(Route route);
  // Where the line for each request goes (standard error by default).
  void set_log(std::function<void(const std::string& line)> log);
  // The page of a refusal made here (431, 413, 404, ...) from its sentence;
  // plain text by default.
  void set_error_page(std::function<Response(const Refusal& refusal)> page);

  // Listens on HOST:PORT (port 0: any free one) and serves on the library's
  // threads; the port, or -1 with nothing started.
  int start(const std::string& host, int port);
  // Stops taking connections, answers the requests in flight, and closes.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sorla::reports
