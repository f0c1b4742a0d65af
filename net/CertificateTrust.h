#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// The certificates a player chose to trust although they did not verify (self-signed, as
// many games use): "trusted-certificates.cfg" in the profile directory, one line per host
// and port, "host:port SHA-256-fingerprint". Lines it does not understand are kept.
class CertificateTrust {
public:
    explicit CertificateTrust(std::string path) : path_(std::move(path)) {}

    // The fingerprint trusted for host:port, if any.
    std::optional<std::string> Trusted(std::string_view host, int port) const;
    // Trusts `fingerprint` for host:port (replacing an earlier one); false when the file
    // could not be written.
    bool Trust(std::string_view host, int port, std::string_view fingerprint) const;

    const std::string& Path() const { return path_; }
    // The path as messages show it: absolute, whatever the working directory.
    std::string ShownPath() const;

private:
    std::string path_;
};

// "profiles/<name>/trusted-certificates.cfg" below root.
std::string CertificateTrustPath(std::string_view root, std::string_view profile);

} // namespace tav
