#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tav {

// The requests the program's windows send to the server over the Client connection (the
// edit dialog, the command pad, the boards and help windows). Each returns the bytes
// written, or -1 when the connection is down or the send failed. Called on the
// user-interface thread.
class ClientRequests {
public:
    virtual ~ClientRequests() = default;
    virtual std::ptrdiff_t SendEditReply(std::string_view text) = 0;
    virtual std::ptrdiff_t SendCommand(std::string_view commandLine) = 0;
    virtual std::ptrdiff_t SendHelpIndexRequest() = 0;
    virtual std::ptrdiff_t SendHelpFileRequest(std::string_view topic) = 0;
    virtual std::ptrdiff_t SendBindexRequest() = 0;
    virtual std::ptrdiff_t SendMsgIndexRequest(std::int32_t board) = 0;
    virtual std::ptrdiff_t SendMsgRequest(std::int32_t board, std::int32_t position) = 0;
    virtual std::ptrdiff_t SendMsgDelete(std::int32_t board, std::int32_t position) = 0;
    virtual std::ptrdiff_t SendMsgPost(std::int32_t board, std::string_view heading) = 0;
};

} // namespace tav
