#pragma once
// The base of the servers that archive files are fetched from. The FTP and HTTP locations build
// on it; the object model needs only what is declared here.
#include <functional>
#include <string>

#include "framework/component.h"

namespace vantorel {

VANTOREL_ENUM(TInternetProtocol, ipFTP, ipHTTP);

class TCustomNetInstallLocation : public TComponent {
 public:
  using TReceiveCallback = std::function<void(const std::string& file_name, int bytes,
                                              int total_bytes, int file_size, const char* buffer)>;
  explicit TCustomNetInstallLocation(TComponent* owner) : TComponent(owner) {}

  // Whether the login information is complete enough to connect.
  virtual bool LoginComplete() const { return false; }
  virtual std::string Hostname() const { return ""; }
  virtual std::string Directory() const { return ""; }
  virtual TInternetProtocol Protocol() const { return ipFTP; }
  // Fetches the remote file `remote_name` into `local_path`; raises on failure.
  virtual void Download(const std::string& remote_name, const std::string& local_path);

  TReceiveCallback OnReceive;
};

// The process-wide default location (the install component's NetLocation), or nullptr.
TCustomNetInstallLocation*& DefaultNetLocation();

}  // namespace vantorel
