"""The tests' own harness, one package for every scenario script (tests/ is
on PYTHONPATH through run-isolated.sh):

  basics    checks, waiting, the scenario runner, processes, scratch folders
  desktop   an X server with a tray host: windows, screenshots, keys, boxes
  system    the Linux programs on that desktop over simulated monitors
  wine      a Wine prefix on that desktop: registry, EDID, Windows programs
  site      the update site: one HTTP server with a table of misbehaviours
  manifests the packed format, the manifest writer and the hostile sites
  renovo    publishing releases and running the real updater"""
