#include "json/script_prelude.h"

namespace vexaro {

namespace {

// 1. Counts what a for-in loop visits, from -2 so that the two methods that
// every object inherits (4. below) are not counted.
constexpr std::string_view kMemberCounter =
    "function get__count(c){var i=-2;for(v in c)i++;return i}";

// 2. A JSON object for engines that have none.
constexpr std::string_view kJsonObject = "if(typeof JSON!=='object'){JSON={}}";

// 3. JSON.stringify and JSON.parse, installed only where missing, so that an
// engine's own JSON support stays in use; toJSON methods for Date (UTC in ISO
// 8601 form ending in "Z", null for an invalid date) and for the primitive
// wrappers, where Date has none. parse rewrites the characters that some
// engines drop or treat as line ends into \u escapes, accepts the text only
// when nothing but JSON tokens and punctuation remain once strings, escapes,
// literals and numbers are collapsed, and only then evaluates it; anything
// else throws SyntaxError("JSON.parse"). The inherited methods (4.) are
// added inside the same function before it is closed and called.
constexpr std::string_view kJsonSupportOpen =
    R"js((function(){"use strict";)js"
    R"js(var invisible=/[\u0000\u00ad\u0600-\u0604\u070f\u17b4\u17b5\u200c-\u200f\u2028-\u202f\u2060-\u206f\ufeff\ufff0-\uffff]/g;)js"
    R"js(var mustEscape=/[\\"\u0000-\u001f\u007f-\u009f\u00ad\u0600-\u0604\u070f\u17b4\u17b5\u200c-\u200f\u2028-\u202f\u2060-\u206f\ufeff\ufff0-\uffff]/g;)js"
    R"js(var named={"\b":"\\b","\t":"\\t","\n":"\\n","\f":"\\f","\r":"\\r","\"":"\\\"","\\":"\\\\"};)js"
    R"js(var isArray=function(x){return Object.prototype.toString.call(x)==="[object Array]"};)js"
    R"js(var own=function(o,k){return Object.prototype.hasOwnProperty.call(o,k)};)js"
    R"js(var two=function(n){return(n<10?"0":"")+n};)js"
    R"js(var unicodeEscape=function(ch){var h=ch.charCodeAt(0).toString(16);while(h.length<4){h="0"+h}return"\\u"+h};)js"
    R"js(var quote=function(s){return'"'+s.replace(mustEscape,function(ch){return own(named,ch)?named[ch]:unicodeEscape(ch)})+'"'};)js"
    R"js(if(typeof Date.prototype.toJSON!=="function"){)js"
    R"js(Date.prototype.toJSON=function(){var d=this;if(!isFinite(d.valueOf())){return null})js"
    R"js(return d.getUTCFullYear()+"-"+two(d.getUTCMonth()+1)+"-"+two(d.getUTCDate())+"T"+two(d.getUTCHours())+":"+two(d.getUTCMinutes())+":"+two(d.getUTCSeconds())+"Z"};)js"
    R"js(var primitiveValue=function(){return this.valueOf()};)js"
    R"js(Boolean.prototype.toJSON=primitiveValue;Number.prototype.toJSON=primitiveValue;String.prototype.toJSON=primitiveValue})js"
    R"js(var indentStep,indentNow,filterBy;)js"
    R"js(var serialize=function(key,holder){var value=holder[key],outer=indentNow,items=[],i,k,text;)js"
    R"js(if(value&&typeof value==="object"&&typeof value.toJSON==="function"){value=value.toJSON(key)})js"
    R"js(if(typeof filterBy==="function"){value=filterBy.call(holder,key,value)})js"
    R"js(if(typeof value==="string"){return quote(value)})js"
    R"js(if(typeof value==="number"){return isFinite(value)?String(value):"null"})js"
    R"js(if(typeof value==="boolean"){return String(value)})js"
    R"js(if(typeof value!=="object"){return undefined})js"
    R"js(if(value===null){return"null"})js"
    R"js(indentNow+=indentStep;)js"
    R"js(var join=function(open,close){var t;if(items.length===0){t=open+close}else if(indentNow){t=open+"\n"+indentNow+items.join(",\n"+indentNow)+"\n"+outer+close}else{t=open+items.join(",")+close}indentNow=outer;return t};)js"
    R"js(var member=function(k){var v=serialize(k,value);if(v){items.push(quote(k)+(indentNow?": ":":")+v)}};)js"
    R"js(if(isArray(value)){for(i=0;i<value.length;i+=1){items.push(serialize(i,value)||"null")}return join("[","]")})js"
    R"js(if(filterBy&&typeof filterBy==="object"){for(i=0;i<filterBy.length;i+=1){if(typeof filterBy[i]==="string"){member(filterBy[i])}}})js"
    R"js(else{for(k in value){if(own(value,k)){member(k)}}})js"
    R"js(return join("{","}")};)js"
    R"js(if(typeof JSON.stringify!=="function"){JSON.stringify=function(value,filter,space){var i;indentStep="";indentNow="";)js"
    R"js(if(typeof space==="number"){for(i=0;i<space;i+=1){indentStep+=" "}}else if(typeof space==="string"){indentStep=space})js"
    R"js(if(filter&&typeof filter!=="function"&&(typeof filter!=="object"||typeof filter.length!=="number")){throw new Error("JSON.stringify")})js"
    R"js(filterBy=filter;return serialize("",{"":value})}})js"
    R"js(var revive=function(holder,key,reviver){var value=holder[key],k,v;)js"
    R"js(if(value&&typeof value==="object"){for(k in value){if(own(value,k)){v=revive(value,k,reviver);if(v===undefined){delete value[k]}else{value[k]=v}}}})js"
    R"js(return reviver.call(holder,key,value)};)js"
    R"js(var validEscape=/\\(?:u[0-9a-fA-F]{4}|["\\\/bfnrt])/g;)js"
    R"js(var scalar=/"[^"\\\r\n]*"|true|false|null|-?[0-9]+(?:\.[0-9]*)?(?:[eE][-+]?[0-9]+)?/g;)js"
    R"js(var openBrackets=/(?:^|:|,)(?:\s*\[)+/g;)js"
    R"js(var onlyPunctuation=/^[\],:{}\s]*$/;)js"
    R"js(if(typeof JSON.parse!=="function"){JSON.parse=function(text,reviver){var source=String(text).replace(invisible,unicodeEscape),result;)js"
    R"js(if(!onlyPunctuation.test(source.replace(validEscape,"@").replace(scalar,"]").replace(openBrackets,""))){throw new SyntaxError("JSON.parse")})js"
    R"js(result=eval("("+source+")");)js"
    R"js(return typeof reviver==="function"?revive({"":result},"",reviver):result}})js";

// 4. Every object inherits toJSONString and parseJSON.
constexpr std::string_view kInheritedMethods =
    "if(!Object.prototype.toJSONString){Object.prototype.toJSONString=function(filter){return "
    "JSON.stringify(this,filter)};Object.prototype.parseJSON=function(filter){return "
    "JSON.parse(this,filter)}}";

constexpr std::string_view kJsonSupportClose = "}());";

template <std::size_t N>
struct Joined {
  char text[N + 1]{};
};

constexpr std::size_t kPreludeLength = kMemberCounter.size() + kJsonObject.size() +
                                       kJsonSupportOpen.size() + kInheritedMethods.size() +
                                       kJsonSupportClose.size();

constexpr Joined<kPreludeLength> JoinPrelude() {
  Joined<kPreludeLength> joined;
  std::size_t at = 0;
  for (std::string_view part :
       {kMemberCounter, kJsonObject, kJsonSupportOpen, kInheritedMethods, kJsonSupportClose}) {
    for (char c : part) joined.text[at++] = c;
  }
  return joined;
}

constexpr Joined<kPreludeLength> kPrelude = JoinPrelude();

}  // namespace

std::string_view ScriptPrelude() { return {kPrelude.text, kPreludeLength}; }

}  // namespace vexaro
