#include "net/capabilities.h"
#include "net/tls_channel.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

std::optional<net::Capabilities> readFrom(std::deque<std::string> lines) {
    return net::readCapabilities([&lines](std::string& line) {
        if (lines.empty()) {
            return false;
        }
        line = lines.front();
        lines.pop_front();
        return true;
    });
}

TEST(Capabilities, NamesAreFoundWhateverTheirCase) {
    auto found = readFrom({"TOP", "USER", "SASL PLAIN LOGIN", "stls", "..DOTTED", "."});
    ASSERT_TRUE(found.has_value());
    for (const char* name : {"STLS", "stls", "Top", "SASL", ".DOTTED"}) {
        EXPECT_TRUE(found->has(name)) << name;
    }
    for (const char* name : {"UIDL", "PLAIN", "ST", "STLSX", "..DOTTED", ""}) {
        EXPECT_FALSE(found->has(name)) << name;
    }
    EXPECT_EQ(found->arguments("sasl"), (std::vector<std::string>{"PLAIN", "LOGIN"}));
    EXPECT_TRUE(found->arguments("STLS").empty());
}

TEST(Capabilities, OnlyTheFirstWordOfALineNamesACapability) {
    const struct {
        std::vector<std::string> lines;
        bool uidl, pipelining;
    } cases[] = {
        {{"TOP", "UIDL", "PIPELINING"}, true, true},
        {{"uidl", "Pipelining"}, true, true},
        {{"UIDL extra args", "PIPELINING\targ"}, true, true},
        {{"TOP", "USER", "SASL PLAIN UIDL"}, false, false},
        {{"UIDLX", "XPIPELINING", " UIDL", "\tPIPELINING"}, false, false},
        {{}, false, false},
        {{"UID", "PIPELININ"}, false, false},
    };
    for (const auto& c : cases) {
        net::Capabilities listed;
        for (const std::string& line : c.lines) {
            listed.add(line);
        }
        EXPECT_EQ(listed.has("UIDL"), c.uidl) << ::testing::PrintToString(c.lines);
        EXPECT_EQ(listed.has("PIPELINING"), c.pipelining) << ::testing::PrintToString(c.lines);
    }
}

TEST(Capabilities, AListThatDoesNotEndWithADotGivesNothing) {
    EXPECT_FALSE(readFrom({"TOP", "STLS"}).has_value());
    EXPECT_FALSE(readFrom({}).has_value());
    ASSERT_TRUE(readFrom({"."}).has_value());
    EXPECT_FALSE(readFrom({"."})->has("STLS"));
}

TEST(TrustedFingerprint, OnlyTheExactCertificateIsAcceptedDespiteItsProblem) {
    const std::string fingerprint(64, 'a');
    using net::CertProblem;
    const struct {
        CertProblem problem;
        std::string trusted;
        bool accepted;
    } cases[] = {
        {CertProblem::None, "", true},
        {CertProblem::UnknownIssuer, "", false},
        {CertProblem::UnknownIssuer, fingerprint, true},
        {CertProblem::Expired, std::string(64, 'A'), true},
        {CertProblem::WrongName, std::string(63, 'a') + "b", false},
        {CertProblem::WrongName, std::string(63, 'a'), false},
        {CertProblem::Invalid, fingerprint + "a", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(net::certificateAccepted(c.problem, fingerprint, c.trusted), c.accepted)
            << static_cast<int>(c.problem) << " " << c.trusted;
    }
    EXPECT_FALSE(net::certificateAccepted(CertProblem::Expired, "", "")) << "no fingerprint, no trust";
}

TEST(AddressLiteral, AddressesAreNotHostNames) {
    for (const char* name : {"127.0.0.1", "::1", "fe80::1%1", "2001:db8::25"}) {
        EXPECT_TRUE(net::isAddressLiteral(name)) << name;
    }
    for (const char* name : {"localhost", "mail.example.jp", "pop3.1.example", ""}) {
        EXPECT_FALSE(net::isAddressLiteral(name)) << name;
    }
}

}  // namespace
