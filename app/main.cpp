// zoetra: plays FLI animations, one window each.
#include "ZoetraApp.h"

int main()
{
	ZoetraApp app;
	app.Run();
	return 0;
}
