#pragma once
// Why an executable cannot be read: truncated, malformed or built to mislead. The message says what
// is wrong in the file; the caller adds the file's name. The layer is plain C++, so this is a
// std::runtime_error rather than the Qt-based Exception of the layers above.

#include <stdexcept>
#include <string>

class EPeFormatError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
