/* A library whose only purpose is its version resource (or its lack of one). */
int versionedLibrary(void);
int versionedLibrary(void) { return 1; }
