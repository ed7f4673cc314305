#pragma once
// An engine on fake sockets with slot 0 registered as "me" (local address
// 192.168.1.10), and a fresh folder for the files of a test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "session/SessionFixture.h"

namespace velmok::dcc {

class DccFixture : public session::SessionFixture {
protected:
    session::FakeClientSocket* irc = nullptr;
    std::string dir;

    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmok-dcc-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        irc = Register(0, "me");
        irc->localAddress = "192.168.1.10";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::string Path(const std::string& name) const { return dir + "/" + name; }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Get(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

    // Bytes that differ from position to position, so a block out of place shows.
    static std::string Pattern(std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        return bytes;
    }
    static std::string Ack(std::uint32_t total) {
        const char bytes[4] = {static_cast<char>(total >> 24), static_cast<char>(total >> 16),
                               static_cast<char>(total >> 8), static_cast<char>(total)};
        return std::string(bytes, 4);
    }
};

}  // namespace velmok::dcc
