// The display name "Parlomix" (string 124): mutex name, window class name and first title.
#ifndef PARLOMIX_APP_TITLE_H
#define PARLOMIX_APP_TITLE_H

enum { APP_TITLE_SIZE = 32 };
extern char appTitle[APP_TITLE_SIZE];

#endif
