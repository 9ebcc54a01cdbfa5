#include "platform/socket_layer.h"

std::string TSocketError::GetReasonString() const {
  std::string text = Layer.GetReasonString(Error);
  if (MaxLength > 0 && text.size() > static_cast<std::size_t>(MaxLength - 1)) {
    text.resize(static_cast<std::size_t>(MaxLength - 1));
  }
  return text;
}
