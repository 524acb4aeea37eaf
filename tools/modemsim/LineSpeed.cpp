#include "LineSpeed.h"

// termios2 lives in the kernel's headers, which clash with <termios.h>; keep this file apart.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

struct Speed {
    unsigned code;
    int baud;
};

const Speed kSpeeds[] = {
    {B50, 50}, {B75, 75}, {B110, 110}, {B134, 134}, {B150, 150}, {B200, 200}, {B300, 300},
    {B600, 600}, {B1200, 1200}, {B1800, 1800}, {B2400, 2400}, {B4800, 4800}, {B9600, 9600},
    {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
    {B460800, 460800}, {B500000, 500000}, {B576000, 576000}, {B921600, 921600},
    {B1000000, 1000000},
};

} // namespace

int lineSpeed(int fd)
{
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    if ((t.c_cflag & CBAUD) == BOTHER)
        return int(t.c_ospeed);
    for (const Speed &s : kSpeeds) {
        if ((t.c_cflag & CBAUD) == s.code)
            return s.baud;
    }
    return int(t.c_ospeed);
}

bool setLineSpeed(int fd, int baud)
{
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    unsigned code = BOTHER;
    for (const Speed &s : kSpeeds) {
        if (s.baud == baud)
            code = s.code;
    }
    t.c_cflag |= code;
    t.c_ispeed = unsigned(baud);
    t.c_ospeed = unsigned(baud);
    return ::ioctl(fd, TCSETS2, &t) == 0;
}
