#include "audio/asio_host.h"

AsioFacts asioFacts;
AsioHost asioHost;
