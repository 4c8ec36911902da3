#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace quorvane::testing {

// What the code under test writes to standard error while this lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() : m_saved(std::cerr.rdbuf(m_text.rdbuf())) {}
    ~StandardErrorCapture() { std::cerr.rdbuf(m_saved); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::streambuf* m_saved;
};

} // namespace quorvane::testing
