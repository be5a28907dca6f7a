// A sink that passes on its first N bytes and then fails, as a full disk would.
#pragma once

#include "keeping/byte_sink.h"

#include <algorithm>

namespace tolvane::test {

class FailingSink final : public ByteSink {
public:
    FailingSink(ByteSink& inner, std::size_t failAfter) : inner_(inner), left_(failAfter) {}

    bool write(std::string_view bytes) override {
        const std::size_t taken = std::min(left_, bytes.size());
        left_ -= taken;
        if (!inner_.write(bytes.substr(0, taken)))
            return false;
        return taken == bytes.size();
    }

private:
    ByteSink& inner_;
    std::size_t left_;
};

} // namespace tolvane::test
