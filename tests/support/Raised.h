// The message a call raises, for tests that compare it.
#pragma once

#include <string>
#include <utility>

#include "common/Exceptions.h"

namespace lumerra::test {

// The message of the Exception that Call raises; NoneRaised when it raises none.
template <class TCall>
std::string RaisedMessage(TCall&& Call, const std::string& NoneRaised = "") {
    try {
        std::forward<TCall>(Call)();
    } catch (const Exception& e) {
        return e.Message();
    }
    return NoneRaised;
}

}  // namespace lumerra::test
