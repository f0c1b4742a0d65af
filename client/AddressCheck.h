#pragma once

namespace tav {

// The server address check shared with the Term connection: ValidateAddress parses the
// configured port into the game port and checks host and port, showing its own message
// boxes ("You must enter the IP address to connect to.", "Invalid port.", ...).
// PortNumber is the game port it parsed.
class AddressCheck {
public:
    virtual ~AddressCheck() = default;
    virtual bool ValidateAddress() = 0;
    virtual int PortNumber() const = 0;
};

// Any object with ValidateAddress() and PortNumber(), such as the TermSession, as an
// AddressCheck: `AddressCheckOf<TermSession> check(session);`.
template <class Checker> class AddressCheckOf final : public AddressCheck {
public:
    explicit AddressCheckOf(Checker& checker) : checker_(checker) {}
    bool ValidateAddress() override { return checker_.ValidateAddress(); }
    int PortNumber() const override { return checker_.PortNumber(); }

private:
    Checker& checker_;
};

} // namespace tav
