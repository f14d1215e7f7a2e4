#pragma once

namespace ondrel {

class Form1;

// The transfer batch: the body of the main button's click when it does not
// read "FINISH". Converts or passes through every listed file and copies each
// result to the memory card or the Desktop, one log line per file.
class TransferBatch {
public:
    explicit TransferBatch(Form1& form);
    // Runs the whole batch. Platform failures propagate as PlatformError.
    void run();

private:
    Form1& m_form;
};

} // namespace ondrel
