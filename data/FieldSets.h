#pragma once

class TMemTable;

// The fields each window defines for its table when it is created. Loading a file with
// definitions replaces them with the file's.

// The drill and scratch tables: sorszam, nyelv1, nyelv2, without labels.
void DefineDrillFields(TMemTable& table);

// The test editor: the drill's three fields with the labels "Első nyelv" and
// "Második nyelv", then hanyszor ("Hányszor?") and hanyszorvolt.
void DefineEditorFields(TMemTable& table);

// The download window's catalogue: nyelv, nev ("Teszt neve"), link ("Letöltési link").
void DefineCatalogueFields(TMemTable& table);
