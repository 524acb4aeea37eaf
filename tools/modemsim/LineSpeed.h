#pragma once
// Line speed of a pseudo-terminal, odd speeds (14400, 28800, 56000, ...) included. Those have
// no B constant; serial libraries set them through termios2 (BOTHER), which the plain termios
// calls cannot read back. A pty master and its slave share one termios on Linux, so reading it
// on the master tells the speed the program on the slave side has set.

// The output speed in bit/s, 0 when it cannot be read.
int lineSpeed(int fd);
// Sets both speeds; false when the system refuses.
bool setLineSpeed(int fd, int baud);
