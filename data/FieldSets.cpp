#include "data/FieldSets.h"

#include "data/MemTable.h"

void DefineDrillFields(TMemTable& table) {
    table.AddField("sorszam", TFieldType::Integer);
    table.AddField("nyelv1", TFieldType::String, 255);
    table.AddField("nyelv2", TFieldType::String, 255);
}

void DefineEditorFields(TMemTable& table) {
    table.AddField("sorszam", TFieldType::Integer);
    table.AddField("nyelv1", TFieldType::String, 255, "Els\xf5 nyelv");
    table.AddField("nyelv2", TFieldType::String, 255, "M\xe1sodik nyelv");
    table.AddField("hanyszor", TFieldType::Integer, 0, "H\xe1nyszor?");
    table.AddField("hanyszorvolt", TFieldType::Integer);
}

void DefineCatalogueFields(TMemTable& table) {
    table.AddField("nyelv", TFieldType::String, 25);
    table.AddField("nev", TFieldType::String, 50, "Teszt neve");
    table.AddField("link", TFieldType::String, 100, "Let\xf6lt\xe9si link");
}
