// The compiled-in resources are linked through this library; it has no code of its own.
