#pragma once

#include "client/ClientRequests.h"

#include <string>
#include <vector>

namespace tav::test {

// The requests as readable lines; `down` makes every send fail as a closed connection does.
struct RecordingRequests : ClientRequests {
    std::vector<std::string> sent;
    bool down = false;
    std::ptrdiff_t Add(std::string line) {
        if (down) return -1;
        sent.push_back(std::move(line));
        return 272;
    }
    std::ptrdiff_t SendEditReply(std::string_view) override { return Add("edit"); }
    std::ptrdiff_t SendCommand(std::string_view) override { return Add("command"); }
    std::ptrdiff_t SendHelpIndexRequest() override { return Add("helpindex"); }
    std::ptrdiff_t SendHelpFileRequest(std::string_view) override { return Add("helpfile"); }
    std::ptrdiff_t SendBindexRequest() override { return Add("bindex"); }
    std::ptrdiff_t SendMsgIndexRequest(std::int32_t b) override {
        return Add("msgindex " + std::to_string(b));
    }
    std::ptrdiff_t SendMsgRequest(std::int32_t b, std::int32_t p) override {
        return Add("msg " + std::to_string(b) + " " + std::to_string(p));
    }
    std::ptrdiff_t SendMsgDelete(std::int32_t b, std::int32_t p) override {
        return Add("delete " + std::to_string(b) + " " + std::to_string(p));
    }
    std::ptrdiff_t SendMsgPost(std::int32_t b, std::string_view h) override {
        return Add("post " + std::to_string(b) + " [" + std::string(h) + "]");
    }
};

} // namespace tav::test
