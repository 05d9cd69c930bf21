#pragma once
// bench_relay's emulated network: a network namespace of the process's own
// (only loopback in it, so nothing leaves the machine), with each hop of
// the relayed path shaped like a cable of a given rate by tc: an HTB class
// per destination port, one into the relay's port (and the pipe's, which
// stands in for it) and one into the archive's. The direct path then
// crosses one such link, the relayed path two in series; acknowledgements
// and answers go to other ports and pass unshaped.
//
// Packets are cut to a cable's frames: loopback would carry 64 KB, which
// takes half a millisecond at 1 Gbit/s and 130 ms at 4 Mbit/s, and every
// hop would hold a packet that long. Ethernet's 1500 bytes below 1 Gbit/s,
// 9000 (jumbo frames) from there on, where 1500 would cost the emulation
// more CPU than two cores have to spare. Each class may send one frame
// ahead (HTB's burst), no more: a link idle for a while gains nothing, and
// a timer that fires late on a virtual machine loses no frame.

#include <QList>
#include <QString>
#include <QtGlobal>

// Bits per second of a tc rate such as "1gbit", "10mbit", "4mbit"; 0 when
// it is none.
qint64 BitsPerSecond(const QString& rate);

// The frame size for a link of that rate.
int FrameBytes(qint64 linkBitsPerSecond);

// Moves this process into a network namespace of its own and brings its
// loopback up, its packets cut to `frame` bytes. Call before any thread or
// child starts: both stay where they were made. An explanation when it
// cannot (it needs root).
QString EnterOwnNetwork(int frame);

// Shapes the hops into each of `firstHopPorts` and into the archive's port;
// an explanation when tc fails.
QString ShapeHops(const QList<quint16>& firstHopPorts, quint16 archivePort, const QString& rate, int frame);
