#pragma once
// The stop request that deleting the operator on duty and applying the
// settings make: close the listener on the configured LocalPort, and any
// listener still open on another port (LocalPort may have been changed since
// the listener was opened), so the red lamp never shows while a port listens.

class ToolkitServer;

// Does nothing without a server object (the listener was never started in
// this run); skips the LocalPort request when LocalPort is not a number.
void StopListeners(ToolkitServer* server);
