#include "files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace sorla::cli {
namespace {

std::string reason(int code) { return std::strerror(code); }

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace

std::variant<std::string, FileError> read_file(const std::string& path, std::size_t max_bytes) {
  const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return FileError{errno, "cannot read " + path + ": " + reason(errno)};
  std::string bytes;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileError{errno, "cannot read " + path + ": " + reason(errno)};
    }
    if (static_cast<std::size_t>(n) > max_bytes - bytes.size()) {
      return FileError{EFBIG, path + " is larger than " + std::to_string(max_bytes) + " bytes"};
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  return bytes;
}

std::optional<std::string> write_file_atomically(const std::string& path,
                                                 const std::string& bytes) {
  const std::filesystem::path target(path);
  if (target.has_parent_path()) {
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) return "cannot create " + target.parent_path().string() + ": " + ec.message();
  }
  const std::string temp = path + "." + std::to_string(::getpid()) + ".tmp";
  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) return "cannot write " + temp + ": " + reason(errno);
  const auto fail = [&](const std::string& what, int code) {
    ::close(fd.release());
    ::unlink(temp.c_str());
    return what + ": " + reason(code);
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write " + temp, errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return fail("cannot write " + temp, errno);
  if (::close(fd.release()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    return "cannot write " + temp + ": " + reason(code);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    return "cannot replace " + path + ": " + reason(code);
  }
  return std::nullopt;
}

}  // namespace sorla::cli
