#pragma once
// bench_relay's emulated network: a network namespace of the process's own
// (only loopback in it, so nothing leaves the machine), with each hop of
// the relayed path shaped like a cable of a given rate by tc: an HTB class
// per destination port, one into the relay's port and one into the
// archive's. The direct path then crosses one such link, the relayed path
// two in series; acknowledgements and answers go to other ports and pass
// unshaped.

#include <QString>
#include <QtGlobal>

// Bits per second of a tc rate such as "1gbit", "10mbit", "4mbit"; 0 when
// it is none.
qint64 bitsPerSecond(const QString& rate);

// Moves this process into a network namespace of its own and brings its
// loopback up, with packets of about a millisecond's worth of the link at
// slow rates (Ethernet's 1500 bytes) and 9000 bytes from 1 Gbit/s on. Call
// before any thread or child starts: both stay where they were made.
// An explanation when it cannot (it needs root).
QString enterOwnNetwork(qint64 linkBitsPerSecond);

// Shapes the two hops; an explanation when tc fails.
QString shapeHops(quint16 relayPort, quint16 archivePort, const QString& rate);
