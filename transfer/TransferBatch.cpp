// Placeholder until the batch lands; replaced by its real implementation.
#include "transfer/TransferBatch.h"

namespace ondrel {

TransferBatch::TransferBatch(Form1& form) : m_form(form) {}

void TransferBatch::run() {}

} // namespace ondrel
