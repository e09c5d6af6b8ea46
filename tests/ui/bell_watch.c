/* Test program (native): watches an X display for the keyboard bell. Prints "ready" once it
 * listens, then "bell" for every bell the server rings, until it is killed or 60 s pass. */
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <stdio.h>
#include <sys/select.h>
#include <time.h>

int main(void)
{
    int opcode, event_base, error_base, major = XkbMajorVersion, minor = XkbMinorVersion;
    Display* display = XkbOpenDisplay(NULL, &event_base, &error_base, &major, &minor, NULL);
    if (display == NULL) {
        fprintf(stderr, "bell_watch: no display\n");
        return 1;
    }
    (void)opcode;
    XkbSelectEvents(display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
    XSync(display, False);
    printf("ready\n");
    fflush(stdout);
    const time_t end = time(NULL) + 60;
    const int fd = ConnectionNumber(display);
    while (time(NULL) < end) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == event_base && ((XkbAnyEvent*)&event)->xkb_type == XkbBellNotify) {
                printf("bell\n");
                fflush(stdout);
            }
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        struct timeval wait = {0, 200000};
        select(fd + 1, &readable, NULL, NULL, &wait);
    }
    XCloseDisplay(display);
    return 0;
}
