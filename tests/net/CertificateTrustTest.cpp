#include "net/CertificateTrust.h"
#include "settings/TextMode.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tav;

// The trust file a player's choices build up: each host and port keeps one fingerprint,
// a new choice replaces only its own line, and lines of other hands survive.
TEST(CertificateTrust, OneFingerprintPerHostAndPortOthersKept) {
    const test::TempDir temp({"profiles/hero"});
    const std::string root = temp.path.string();
    const CertificateTrust trust(CertificateTrustPath(root, "hero"));
    EXPECT_EQ(trust.Path(), root + "/profiles/hero/trusted-certificates.cfg");
    EXPECT_EQ(trust.Trusted("mud.example", 4000), std::nullopt); // no file yet

    ASSERT_TRUE(WriteTextFile(trust.Path(), "# mine\nmud.example:4000 AA:BB\n\nbroken\n"));
    EXPECT_EQ(trust.Trusted("mud.example", 4000), "AA:BB"); // CR LF on disk
    EXPECT_EQ(trust.Trusted("mud.example", 4001), std::nullopt);
    EXPECT_EQ(trust.Trusted("mud.example:4000", 0), std::nullopt);

    ASSERT_TRUE(trust.Trust("mud.example", 4001, "CC:DD"));
    ASSERT_TRUE(trust.Trust("mud.example", 4000, "EE:FF"));
    EXPECT_EQ(trust.Trusted("mud.example", 4000), "EE:FF");
    EXPECT_EQ(trust.Trusted("mud.example", 4001), "CC:DD");
    EXPECT_EQ(ReadTextFile(trust.Path()),
              "# mine\n\nbroken\nmud.example:4001 CC:DD\nmud.example:4000 EE:FF\n");

    const CertificateTrust nowhere(CertificateTrustPath(root, "nobody"));
    EXPECT_FALSE(nowhere.Trust("mud.example", 4000, "AA:BB")); // no profile directory
}
