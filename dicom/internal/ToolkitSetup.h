#pragma once
// Process-wide preparation of the DICOM toolkit, done once before the first
// listener or archive association exists.

namespace quorin::dicom {

// Largest PDU the toolkit handles; larger PDUs mean fewer round trips.
inline constexpr unsigned kMaxPduBytes = 131072;

// Safe to call from any thread and any number of times; only the first call
// does work. Must run before the first socket is made (socket options are
// read from the environment when the toolkit creates its sockets).
void EnsureToolkitReady();

} // namespace quorin::dicom
