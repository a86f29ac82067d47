#include "link/receive_buffer.h"

#include <cstring>

namespace vlr::link {

bool ReceiveBuffer::append(const char* data, int count) {
    if (count < 0 || count > Capacity - length_)
        return false;
    if (count > 0)
        std::memcpy(bytes_.data() + length_, data, static_cast<size_t>(count));
    length_ += count;
    return true;
}

}  // namespace vlr::link
