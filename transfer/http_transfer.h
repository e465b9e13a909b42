// Single HTTP GETs over WinINet: no retries, no resume. Every request goes
// through the run's internet session (agent "Vantero", the system's proxy
// settings; internet_session.h), always goes over TLS to the URL's port,
// bypasses the cache and does not follow redirects.
#pragma once

#include <cstdint>
#include <string>

#include "transfer/expected_length.h"
#include "transfer/transfer_records.h"
#include "transfer/transfer_sink.h"

namespace transfer {

// GET of a whole resource. Reads Content-Length into progress->total and
// ->remaining; with an empty destination stops there, otherwise writes the
// body to the destination (created or truncated) and checks its length.
// A Content-Length that is missing, not a plain decimal number, or not what
// `expected` allows fails before the destination is touched, and no read
// goes past it. kTransferDone, or kTransferFailed with a diagnostic in `diagnostic`
// (when given); with `errorBox` the diagnostic also goes to the record's
// report as an error box.
// InternetException and FileException pass through.
TransferResult HttpGetFile(std::string* diagnostic, TransferProgress* progress, TransferBuffer& buffer,
                const std::string& url, const std::string& destination, bool errorBox,
                const ExpectedLength& expected);

// GET of the inclusive byte range first..last into `sink` at its position.
// `fileSize` only feeds the progress record. kTransferDone, or kTransferFailed (silently) when
// the request could not be made or was refused. Throws CMyException when the
// answer does not carry exactly the requested bytes; InternetException and
// FileException pass through. `received` gets the byte count on success.
// Only bytes of the requested range ever reach the sink, and no read goes
// past its end: an answer that says it carries other bytes (a 206 for
// another range, an announced length that is not the range's or is no
// number) writes nothing, and a body running past the range loses the block
// that would complete it. A body that ends early leaves its
// bytes written, so the next attempt continues after them. The one
// exception: a 200 announcing `fileSize` bytes for a range that is not the
// whole file (a server or proxy that ignores Range) is the whole file; a
// sink that can restart takes it from byte 0 (progress `done` starts over),
// any other sink makes it throw WholeFileAnswer.
TransferResult HttpGetRange(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                 TransferSink& sink, uint64_t fileSize, uint64_t& received, uint64_t first,
                 uint64_t last);

}  // namespace transfer
